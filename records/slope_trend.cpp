#include "records/slope_trend.h"

#include <cmath>
#include <cstdio>

#include "calibration/calibration_date.h"

namespace {

constexpr double DaysPerMonth = 365.25 / 12.0;
constexpr std::size_t MinimumCalibrations = 3;

}  // namespace

bool DayOfTimestamp(const char* timestamp, std::int64_t& day) {
    int year = 0;
    unsigned month = 0;
    unsigned dayOfMonth = 0;
    int consumed = 0;
    if (std::sscanf(timestamp, "%4d-%2u-%2u%n", &year, &month, &dayOfMonth, &consumed) != 3 ||
        consumed != 10 || timestamp[10] != 'T' || month < 1 || month > 12 || dayOfMonth < 1 ||
        dayOfMonth > 31) {
        return false;
    }
    day = DayOfDate(year, month, dayOfMonth);
    return true;
}

SlopeTrend TrendOf(const SlopeObservation* observations, std::size_t count, double lowLimit,
                   double highLimit) {
    SlopeTrend trend;
    if (count < MinimumCalibrations) {
        return trend;
    }
    const std::size_t first = count > TrendWindow ? count - TrendWindow : 0;
    const double n = static_cast<double>(count - first);
    // Days counted from the first observation used, so that the sums stay small.
    const double origin = static_cast<double>(observations[first].Day);
    double sumX = 0.0;
    double sumY = 0.0;
    for (std::size_t i = first; i < count; ++i) {
        sumX += static_cast<double>(observations[i].Day) - origin;
        sumY += observations[i].SlopePercent;
    }
    const double meanX = sumX / n;
    const double meanY = sumY / n;
    double sxx = 0.0;
    double sxy = 0.0;
    for (std::size_t i = first; i < count; ++i) {
        const double dx = static_cast<double>(observations[i].Day) - origin - meanX;
        sxx += dx * dx;
        sxy += dx * (observations[i].SlopePercent - meanY);
    }
    if (sxx == 0.0 || !std::isfinite(sxy)) {
        return trend;
    }
    const double perDay = sxy / sxx;
    trend.Known = true;
    trend.PercentPerMonth = perDay * DaysPerMonth;
    if (perDay == 0.0) {
        return trend;
    }
    trend.Limit = perDay < 0.0 ? lowLimit : highLimit;
    const double crossing = origin + meanX + (trend.Limit - meanY) / perDay;
    // Beyond a few thousand years the date means nothing and would not fit a calendar.
    if (std::fabs(crossing) < 1e6) {
        trend.Crosses = true;
        trend.CrossingDay = static_cast<std::int64_t>(std::floor(crossing));
    }
    return trend;
}
