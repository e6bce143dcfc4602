// The settling probe of the simulator: the probe voltage and the temperature each follow
// their targets as a first-order response, on a clock that may run faster than real time.
#pragma once

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "tools/first_order_response.h"

class ProbeSettling {
  public:
    bool IsActive() const { return Active; }

    // The words after "settle": "off", or pairs of a name and a number (tau, noise, drift,
    // temperature-tau, temperature-noise, temperature-drift, scale). False with a message
    // for anything else; nothing changes then.
    bool Apply(const std::vector<std::string>& words, std::string& error);

    // Seconds of the model's clock.
    double Now() const;
    // mV, for the voltage the probe would give at once.
    double Voltage(double target, std::mt19937& random);
    // Degrees Celsius, for the temperature the solution has.
    double Temperature(double target, std::mt19937& random);
    // Starts new approaches at once when the targets change by a control line, not only at
    // the next request.
    void Follow(double voltage, double temperature);

  private:
    bool Active = false;
    double Scale = 1.0;
    std::chrono::steady_clock::time_point ScaledSince = std::chrono::steady_clock::now();
    double SecondsBefore = 0.0;
    FirstOrderResponse VoltageResponse;
    FirstOrderResponse TemperatureResponse;
    std::mt19937 Unused;
};
