#include "records/slope_trend.h"

#include <gtest/gtest.h>

#include <vector>

#include "calibration/calibration_date.h"

namespace {

std::int64_t Day(std::int64_t year, unsigned month, unsigned day) {
    return DayOfDate(year, month, day);
}

TEST(CalendarDays, DaysCountFromTheEpochAcrossLeapYearsBothWays) {
    EXPECT_EQ(Day(1970, 1, 1), 0);
    EXPECT_EQ(Day(2000, 3, 1) - Day(2000, 2, 28), 2) << "2000 is a leap year";
    EXPECT_EQ(Day(2100, 3, 1) - Day(2100, 2, 28), 1) << "2100 is not";
    EXPECT_EQ(Day(2026, 6, 30), 20634);
    for (std::int64_t day : {std::int64_t{-800000}, std::int64_t{-1}, std::int64_t{0},
                             std::int64_t{20634}, std::int64_t{2932896}}) {
        std::int64_t year = 0;
        unsigned month = 0;
        unsigned dayOfMonth = 0;
        DateOfDay(day, year, month, dayOfMonth);
        EXPECT_EQ(Day(year, month, dayOfMonth), day);
    }
    std::int64_t day = 0;
    ASSERT_TRUE(DayOfTimestamp("2026-06-30T08:15:02Z", day));
    EXPECT_EQ(day, 20634);
    EXPECT_FALSE(DayOfTimestamp("2026-6-30T08:15:02Z", day));
    EXPECT_FALSE(DayOfTimestamp("2026-13-01T00:00:00Z", day));
    EXPECT_FALSE(DayOfTimestamp("", day));
}

TEST(SlopeTrend, ThreeCalibrationsGiveTheChangePerMonthAndTheDayTheLimitIsReached) {
    // Two percent lost every 61 days, from 95 %: 80 % is reached 457.5 days on.
    const std::int64_t start = Day(2026, 1, 1);
    std::vector<SlopeObservation> seen;
    for (int i = 0; i < 3; ++i) {
        seen.push_back({start + 61 * i, 95.0 - 2.0 * i});
    }
    EXPECT_FALSE(TrendOf(seen.data(), 2, 80.0, 110.0).Known) << "two are not a trend";
    const SlopeTrend trend = TrendOf(seen.data(), seen.size(), 80.0, 110.0);
    ASSERT_TRUE(trend.Known);
    EXPECT_NEAR(trend.PercentPerMonth, -2.0 / 61.0 * 30.4375, 1e-9);
    ASSERT_TRUE(trend.Crosses);
    EXPECT_EQ(trend.Limit, 80.0);
    EXPECT_EQ(trend.CrossingDay - start, 457);
}

TEST(SlopeTrend, OnlyTheLastFiveCountAndARisingSlopeHeadsForTheUpperLimit) {
    std::vector<SlopeObservation> seen;
    // An old, steep fall that the last five no longer show.
    seen.push_back({0, 140.0});
    seen.push_back({10, 120.0});
    for (int i = 0; i < 5; ++i) {
        seen.push_back({100 + 30 * i, 100.0 + i});
    }
    const SlopeTrend trend = TrendOf(seen.data(), seen.size(), 80.0, 110.0);
    ASSERT_TRUE(trend.Known);
    EXPECT_NEAR(trend.PercentPerMonth, 30.4375 / 30.0, 1e-9);
    EXPECT_EQ(trend.Limit, 110.0);
    EXPECT_EQ(trend.CrossingDay, 100 + 30 * 10);
}

TEST(SlopeTrend, NoTrendFromOneDayAndNoCrossingForASteadySlope) {
    const std::vector<SlopeObservation> sameDay = {{5, 90.0}, {5, 91.0}, {5, 92.0}};
    EXPECT_FALSE(TrendOf(sameDay.data(), sameDay.size(), 80.0, 110.0).Known);
    const std::vector<SlopeObservation> steady = {{0, 97.0}, {30, 97.0}, {60, 97.0}};
    const SlopeTrend trend = TrendOf(steady.data(), steady.size(), 80.0, 110.0);
    EXPECT_TRUE(trend.Known);
    EXPECT_EQ(trend.PercentPerMonth, 0.0);
    EXPECT_FALSE(trend.Crosses);
}

}  // namespace
