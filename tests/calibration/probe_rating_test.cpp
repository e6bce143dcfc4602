#include "calibration/probe_rating.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calibration/probe_kind.h"

namespace {

TEST(ProbeRating, SlopeAndZeroPointAreRatedAgainstTheirLimitsAndTheWorseIsOverall) {
    const RatingLimits limits;
    ProbeRating rating = RateProbe(ProbeKindPh, 14.5f, -52.3f, limits);
    ASSERT_TRUE(rating.Rated);
    EXPECT_NEAR(rating.SlopePercent, 88.40, 0.005);
    EXPECT_EQ(rating.SlopeLevel, RatingLevel::Check);
    EXPECT_NEAR(rating.ZeroPoint, 7.277, 0.0005);
    EXPECT_EQ(rating.ZeroPointLevel, RatingLevel::Good);
    EXPECT_EQ(rating.Overall, RatingLevel::Check);

    rating = RateProbe(ProbeKindPh, -61.0f, -59.16f, limits);
    EXPECT_EQ(rating.SlopeLevel, RatingLevel::Good);
    EXPECT_EQ(rating.ZeroPointLevel, RatingLevel::Replace);
    EXPECT_EQ(rating.Overall, RatingLevel::Replace);
}

TEST(ProbeRating, TheDefaultsAreThoseOfPhPractice) {
    // 96 %, 93 %, 104 % and 84 % of the Nernst slope.
    EXPECT_EQ(RateProbe(ProbeKindPh, 0.0f, -56.8f, RatingLimits{}).SlopeLevel, RatingLevel::Good);
    EXPECT_EQ(RateProbe(ProbeKindPh, 0.0f, -55.0f, RatingLimits{}).SlopeLevel, RatingLevel::Check);
    EXPECT_EQ(RateProbe(ProbeKindPh, 0.0f, -61.5f, RatingLimits{}).SlopeLevel, RatingLevel::Check);
    EXPECT_EQ(RateProbe(ProbeKindPh, 0.0f, -49.7f, RatingLimits{}).SlopeLevel,
              RatingLevel::Replace);
}

TEST(ProbeRating, TheLimitsGivenAreTheLimitsKept) {
    RatingLimits limits;
    limits.SlopeGoodMin = 85.0;
    const ProbeRating rating = RateProbe(ProbeKindPh, 0.0f, -52.3f, limits);
    EXPECT_EQ(rating.SlopeLevel, RatingLevel::Good);
    EXPECT_EQ(rating.Limits.SlopeGoodMin, 85.0);
}

TEST(ProbeRating, AnIseProbeAndAZeroSlopeLeaveWhatCannotBeJudgedOut) {
    EXPECT_FALSE(RateProbe(ProbeKindIse, 0.0f, -59.16f, RatingLimits{}).Rated);
    const ProbeRating flat = RateProbe(ProbeKindPh, 0.0f, 0.0f, RatingLimits{});
    EXPECT_FALSE(flat.HasZeroPoint);
    EXPECT_EQ(flat.SlopeLevel, RatingLevel::Replace);
    EXPECT_EQ(RateProbe(ProbeKindPh, 0.0f, NAN, RatingLimits{}).SlopeLevel, RatingLevel::Replace);
}

}  // namespace
