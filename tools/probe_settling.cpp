#include "tools/probe_settling.h"

#include <cmath>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

}  // namespace

bool ProbeSettling::Apply(const std::vector<std::string>& words, std::string& error) {
    if (words.size() == 1 && words[0] == "off") {
        Active = false;
        return true;
    }
    if (words.empty() || words.size() % 2 != 0) {
        error =
            "settle takes 'off' or pairs NAME VALUE (tau, noise, drift, temperature-tau, "
            "temperature-noise, temperature-drift, scale)";
        return false;
    }
    FirstOrderResponse voltage = VoltageResponse;
    FirstOrderResponse temperature = TemperatureResponse;
    double scale = Scale;
    for (std::size_t i = 0; i < words.size(); i += 2) {
        double value = 0.0;
        if (!ParseNumber(words[i + 1], value)) {
            error = "settle: '" + words[i + 1] + "' is not a number";
            return false;
        }
        const std::string& name = words[i];
        double* target = name == "tau"                 ? &voltage.Tau
                         : name == "noise"             ? &voltage.Sigma
                         : name == "drift"             ? &voltage.DriftPerMinute
                         : name == "temperature-tau"   ? &temperature.Tau
                         : name == "temperature-noise" ? &temperature.Sigma
                         : name == "temperature-drift" ? &temperature.DriftPerMinute
                         : name == "scale"             ? &scale
                                                       : nullptr;
        if (target == nullptr) {
            error = "settle: unknown name '" + name + "'";
            return false;
        }
        const bool mayBeNegative = name == "drift" || name == "temperature-drift";
        if (!mayBeNegative && (value < 0.0 || (name == "scale" && value == 0.0))) {
            error = "settle: " + name + " must be positive";
            return false;
        }
        *target = value;
    }
    // The model's clock goes on from where it is at the new pace.
    SecondsBefore = Now();
    ScaledSince = std::chrono::steady_clock::now();
    Scale = scale;
    VoltageResponse = voltage;
    TemperatureResponse = temperature;
    Active = true;
    return true;
}

double ProbeSettling::Now() const {
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - ScaledSince;
    return SecondsBefore + real.count() * Scale;
}

double ProbeSettling::Voltage(double target, std::mt19937& random) {
    return VoltageResponse.At(Now(), target, random);
}

double ProbeSettling::Temperature(double target, std::mt19937& random) {
    return TemperatureResponse.At(Now(), target, random);
}

void ProbeSettling::Follow(double voltage, double temperature) {
    // Without noise, so the noise sequence stays that of the requests alone.
    const double now = Now();
    FirstOrderResponse quietVoltage = VoltageResponse;
    FirstOrderResponse quietTemperature = TemperatureResponse;
    quietVoltage.Sigma = 0.0;
    quietTemperature.Sigma = 0.0;
    quietVoltage.At(now, voltage, Unused);
    quietTemperature.At(now, temperature, Unused);
    quietVoltage.Sigma = VoltageResponse.Sigma;
    quietTemperature.Sigma = TemperatureResponse.Sigma;
    VoltageResponse = quietVoltage;
    TemperatureResponse = quietTemperature;
}
