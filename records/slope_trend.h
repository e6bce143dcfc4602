// How a probe's slope moves from calibration to calibration, and when at that rate it would
// leave the limits beyond which the probe is to be replaced.
#pragma once

#include <cstddef>
#include <cstdint>

// One written calibration: its UTC day (days since 1970-01-01) and slope, % of Nernst.
struct SlopeObservation {
    std::int64_t Day = 0;
    double SlopePercent = 0.0;
};

struct SlopeTrend {
    // At least three calibrations, not all on one day.
    bool Known = false;
    // The least-squares slope of the last calibrations, per month of 30.4375 days.
    double PercentPerMonth = 0.0;
    // Whether the line moves towards a limit; the day it reaches it, and which limit.
    bool Crosses = false;
    std::int64_t CrossingDay = 0;
    double Limit = 0.0;
};

// The last TrendWindow observations count; they are in time order. lowLimit and highLimit
// are the slopes beyond which the rating is "replace".
constexpr std::size_t TrendWindow = 5;
SlopeTrend TrendOf(const SlopeObservation* observations, std::size_t count, double lowLimit,
                   double highLimit);

// "2026-06-30T08:15:02Z" (the time of a record) as its day; false for any other form.
bool DayOfTimestamp(const char* timestamp, std::int64_t& day);
