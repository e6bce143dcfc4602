// A least-squares straight line through samples, the drift behind a "still moving" verdict.
#pragma once

#include <optional>
#include <vector>

struct TimedValue {
    double Seconds = 0.0;
    double Value = 0.0;
};

struct LineFit {
    double Slope = 0.0;  // value per second
    double Intercept = 0.0;
};

// None with fewer than two samples or when they all share one time.
std::optional<LineFit> FitLine(const std::vector<TimedValue>& samples);
