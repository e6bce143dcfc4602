#include "calibration/stability_monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "calibration/settling_fit.h"

namespace {

// A regression over less than this is too noisy to report.
constexpr double ShortestWindow = 5.0;

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

StabilityStatus StabilityMonitor::Add(const PointSample& sample) {
    Trace.push_back(sample);
    const double now = sample.Seconds;
    std::vector<TimedValue> voltage;
    std::vector<TimedValue> temperature;
    for (const PointSample& earlier : Trace) {
        if (earlier.Seconds >= now - Criteria.WindowSeconds) {
            voltage.push_back({earlier.Seconds, earlier.Voltage});
            temperature.push_back({earlier.Seconds, earlier.Temperature});
        }
    }
    StabilityStatus status;
    const double span = now - Trace.front().Seconds;
    if (span >= ShortestWindow) {
        if (const std::optional<LineFit> line = FitLine(voltage)) {
            status.VoltageDrift = line->Slope * 60.0;
        }
        if (const std::optional<LineFit> line = FitLine(temperature)) {
            status.TemperatureDrift = line->Slope * 60.0;
        }
    }
    // A full window first: a short regression would pass a probe that has hardly started.
    const bool fullWindow = span >= Criteria.WindowSeconds;
    const bool calmVoltage =
        status.VoltageDrift && std::fabs(*status.VoltageDrift) <= Criteria.DriftLimit;
    const bool calmTemperature =
        status.TemperatureDrift && std::fabs(*status.TemperatureDrift) <= Criteria.TemperatureLimit;
    if (fullWindow && calmVoltage && calmTemperature) {
        if (!HeldSince) {
            HeldSince = now;
        }
        status.HeldSeconds = now - *HeldSince;
    } else {
        HeldSince.reset();
    }
    // Reads that failed or came late leave gaps: the hold must also have half a sample a
    // second behind it, or its mean rests on too little.
    const double heldCount = HeldSince ? static_cast<double>(HeldSamples().size()) : 0.0;
    const double neededCount = std::ceil(std::max(2.0, Criteria.HoldSeconds / 2.0));
    status.Accepted =
        HeldSince && status.HeldSeconds >= Criteria.HoldSeconds && heldCount >= neededCount;

    if (status.Accepted) {
        status.SecondsToStable = 0.0;
    } else if (!fullWindow) {
        status.Reason =
            "collecting " + Fixed(span, 0) + " of " + Fixed(Criteria.WindowSeconds, 0) + " s";
    } else if (!calmVoltage) {
        status.Reason = "drift " + Fixed(std::fabs(*status.VoltageDrift), 1) + " mV/min > " +
                        Fixed(Criteria.DriftLimit, 1);
    } else if (!calmTemperature) {
        status.Reason =
            "temperature moving " + Fixed(std::fabs(*status.TemperatureDrift), 1) + " °C/min";
    } else {
        status.Reason = "holding " + Fixed(status.HeldSeconds, 0) + " of " +
                        Fixed(Criteria.HoldSeconds, 0) + " s";
        if (status.HeldSeconds >= Criteria.HoldSeconds) {
            status.Reason +=
                ", " + Fixed(heldCount, 0) + " of " + Fixed(neededCount, 0) + " samples";
        }
    }
    if (!status.Accepted) {
        status.SecondsToStable = PredictWait(now);
    }
    Last = status;
    return status;
}

std::optional<double> StabilityMonitor::PredictWait(double now) const {
    // The curve starts where the probe last was about as far from its latest value as it
    // ever was: a probe moved late (into the buffer only after the prompt was answered)
    // settles from there, and what came before is no part of its curve.
    const double latest = Trace.back().Voltage;
    double farthest = 0.0;
    for (const PointSample& sample : Trace) {
        farthest = std::max(farthest, std::fabs(sample.Voltage - latest));
    }
    std::size_t first = 0;
    for (std::size_t i = 0; i < Trace.size(); ++i) {
        if (std::fabs(Trace[i].Voltage - latest) >= 0.95 * farthest) {
            first = i;
        }
    }
    std::vector<TimedValue> voltage;
    for (std::size_t i = first; i < Trace.size(); ++i) {
        voltage.push_back({Trace[i].Seconds, Trace[i].Voltage});
    }
    const std::optional<SettlingCurve> curve = FitSettlingCurve(voltage);
    if (!curve) {
        return std::nullopt;
    }
    // The check looks at a regression over the window, which lags the curve's own slope:
    // the limit is reached when that regression, on the fitted curve, falls below it.
    const double start = Trace[first].Seconds;
    const double limit = Criteria.DriftLimit / 60.0;
    const double lagged = std::fabs(curve->WindowSlope(0.0, Criteria.WindowSeconds));
    double calm = 0.0;
    if (lagged > limit) {
        // The window slope of an exponential shrinks by e^(-t/tau) like the curve itself.
        calm = curve->Tau * std::log(lagged / limit);
    }
    if (HeldSince) {
        return std::max(0.0, *HeldSince + Criteria.HoldSeconds - now);
    }
    const double ready = std::max(start + calm, Trace.front().Seconds + Criteria.WindowSeconds);
    return std::max(0.0, ready - now) + Criteria.HoldSeconds;
}

std::vector<PointSample> StabilityMonitor::HeldSamples() const {
    std::vector<PointSample> held;
    if (!HeldSince) {
        return held;
    }
    for (const PointSample& sample : Trace) {
        if (sample.Seconds >= *HeldSince) {
            held.push_back(sample);
        }
    }
    return held;
}
