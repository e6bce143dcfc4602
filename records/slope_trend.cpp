#include "records/slope_trend.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double DaysPerMonth = 365.25 / 12.0;
constexpr std::size_t MinimumCalibrations = 3;

}  // namespace

std::int64_t DayOfDate(std::int64_t year, unsigned month, unsigned day) {
    // Years counted from March, so that the leap day ends a year.
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void DateOfDay(std::int64_t day, std::int64_t& year, unsigned& month, unsigned& dayOfMonth) {
    day += 719468;
    const std::int64_t era = (day >= 0 ? day : day - 146096) / 146097;
    const std::int64_t dayOfEra = day - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    dayOfMonth = static_cast<unsigned>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    month = static_cast<unsigned>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

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
