// When a calibration point counts as stable: the voltage drift it may show, for how long,
// and how fast the temperature may still move.
#pragma once

#include <optional>
#include <string>

struct StabilityCriteria {
    double DriftLimit = 0.5;        // mV per minute, the magnitude of a 30 s regression
    double HoldSeconds = 20.0;      // the limits must hold this long without a break
    double TemperatureLimit = 0.2;  // degrees Celsius per minute, over the same window
    double WindowSeconds = 30.0;    // the regression's span
};

// "strict" (0.2 mV/min for 30 s), "normal" (0.5 for 20 s), "fast" (1.0 for 10 s), or
// "DRIFT/SECONDS" with a positive drift and hold time; none for anything else.
std::optional<StabilityCriteria> ParseStability(const std::string& text);
