// Watches one calibration point settle: drift of voltage and temperature, a prediction of
// the wait from the settling curve, acceptance once the limits have held, and in words why
// it is still waiting.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calibration/linear_fit.h"
#include "calibration/stability_criteria.h"

struct PointSample {
    double Seconds = 0.0;  // since the probe went into the buffer
    double Voltage = 0.0;  // mV
    double Resistance = 0.0;
    double Temperature = 0.0;  // degrees Celsius, from the resistance
};

struct StabilityStatus {
    // None until the samples span a few seconds.
    std::optional<double> VoltageDrift;      // mV per minute
    std::optional<double> TemperatureDrift;  // degrees per minute
    // Seconds until acceptance as the fitted settling curve predicts; none when the probe
    // does not follow one (it drifts) or too little has been measured.
    std::optional<double> SecondsToStable;
    double HeldSeconds = 0.0;  // how long the limits have held without a break
    bool Accepted = false;
    // Why it is still waiting ("drift 1.4 mV/min > 0.5"); empty once accepted.
    std::string Reason;
};

class StabilityMonitor {
  public:
    explicit StabilityMonitor(const StabilityCriteria& criteria) : Criteria(criteria) {}

    // Samples come in time order, about one a second. A point is accepted when a full window
    // shows both drifts within their limits for the hold time without a break, with at least
    // half a sample a second (and two) in the hold.
    StabilityStatus Add(const PointSample& sample);
    const StabilityStatus& Status() const { return Last; }
    const std::vector<PointSample>& Samples() const { return Trace; }
    // The samples of the hold that led to acceptance (the point's value is their mean).
    std::vector<PointSample> HeldSamples() const;

  private:
    std::optional<double> PredictWait(double now) const;

    StabilityCriteria Criteria;
    std::vector<PointSample> Trace;
    std::optional<double> HeldSince;
    StabilityStatus Last;
};
