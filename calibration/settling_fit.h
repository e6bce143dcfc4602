// The first-order settling curve of a probe after immersion, V(t) = V_end + (V_0 - V_end)
// e^(-t/tau), fitted to what has been measured so far, so the wait can be predicted.
#pragma once

#include <optional>
#include <vector>

#include "calibration/linear_fit.h"

struct SettlingCurve {
    double Final = 0.0;      // V_end, where the probe is heading
    double Amplitude = 0.0;  // V_0 - V_end, at time 0 of the samples given
    double Tau = 0.0;        // seconds

    double At(double seconds) const;
    // The slope, per second, that a least-squares line over the window seconds before
    // `seconds` finds on the noiseless curve, sampled once a second as a drift check is.
    double WindowSlope(double seconds, double window) const;
};

// Time constants from 0.5 s to one hour are tried; none with fewer than five samples or
// when no curve fits better than a straight line would (a probe that is drifting, not settling).
std::optional<SettlingCurve> FitSettlingCurve(const std::vector<TimedValue>& samples);
