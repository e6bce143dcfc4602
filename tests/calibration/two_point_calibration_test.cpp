#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calibration/probe_kind.h"
#include "calibration/two_point_calibration.h"

namespace {

CalibrationPoint Point(float standard, float temperature, float voltage) {
    CalibrationPoint point;
    point.Standard = standard;
    point.Temperature = temperature;
    point.Voltage = voltage;
    point.Valid = true;
    return point;
}

const CalendarDay AnyDay{2026, 12, 8};

// A pH probe calibrated in buffer 6.86, then in buffer 4.01, at about 25 degrees.
const CalibrationPoint Ph686 = Point(6.8654f, 25.1f, 3.2f);
const CalibrationPoint Ph401 = Point(4.0096f, 25.9f, 171.5f);

TEST(ComputeCalibration, PhPairGivesOffsetAtPh7AndSlopeReferredTo25Degrees) {
    ASSERT_TRUE(AcceptPoints(ProbeKindPh, Ph686, Ph401));
    CalibrationResult result = ComputeCalibration(ProbeKindPh, Ph686, Ph401, AnyDay);
    EXPECT_NEAR(result.Offset, -4.7324, 0.5e-4);
    // S = -58.9327 at Tm = 25.5, and the slope keeps its negative sign.
    EXPECT_NEAR(result.Slope, -58.8340, 0.5e-4);
}

TEST(ComputeCalibration, IsePairUsesDecadesOfConcentration) {
    CalibrationPoint p1 = Point(10.0f, 24.0f, 20.0f);
    CalibrationPoint p2 = Point(1000.0f, 24.5f, -95.0f);
    ASSERT_TRUE(AcceptPoints(ProbeKindIse, p1, p2));
    CalibrationResult result = ComputeCalibration(ProbeKindIse, p1, p2, AnyDay);
    // S = -57.5 mV per decade; the offset is the voltage at concentration 1.
    EXPECT_NEAR(result.Offset, 77.5, 0.5e-4);
    EXPECT_NEAR(result.Slope, -57.6450, 0.5e-4);
}

TEST(ComputeCalibration, SlopeIsNormalisedTo25DegreesByTheMeanTemperature) {
    // S = (100 - 0) / (4 - 7) = -33.333334 after rounding to single precision.
    const float s = static_cast<float>(100.0 / -3.0);
    CalibrationResult at25 = ComputeCalibration(ProbeKindPh, Point(7.0f, 24.0f, 0.0f),
                                                Point(4.0f, 26.0f, 100.0f), AnyDay);
    EXPECT_EQ(at25.Slope, s);
    EXPECT_EQ(at25.Offset, 0.0f);
    CalibrationResult at50 = ComputeCalibration(ProbeKindPh, Point(7.0f, 49.0f, 0.0f),
                                                Point(4.0f, 51.0f, 100.0f), AnyDay);
    EXPECT_FLOAT_EQ(at50.Slope, static_cast<float>(s * 298.15 / 323.15));
}

TEST(ComputeCalibration, OffsetUsesTheSlopeRoundedToSinglePrecision) {
    // S = 100 / -3 rounds to -33.33333206; the offset -3333 - 100 * S cancels down to the
    // rounding error, which is 0.33320618 rather than a third.
    CalibrationPoint p1 = Point(107.0f, 25.0f, -3333.0f);
    CalibrationPoint p2 = Point(104.0f, 25.0f, -3233.0f);
    CalibrationResult result = ComputeCalibration(ProbeKindPh, p1, p2, AnyDay);
    EXPECT_NEAR(result.Offset, 0.33320618, 1e-7);
}

TEST(ComputeCalibration, CarriesTodaysDate) {
    CalibrationResult result =
        ComputeCalibration(ProbeKindPh, Ph686, Ph401, CalendarDay{2027, 1, 1});
    EXPECT_EQ(result.Date.Word(), 0x20270101u);
}

TEST(AcceptPoints, BothPointsMustBeValid) {
    CalibrationPoint cleared = Ph401;
    cleared.Valid = false;
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Ph686, cleared));
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, cleared, Ph686));
}

TEST(AcceptPoints, StandardsMustBeAtLeastOnePhUnitApartAfterRoundingToSingle) {
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(6.8654f, 25, 0), Point(7.0107f, 25, 100)));
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, 25, 0), Point(5.0f, 25, 100)));
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(5.0f, 25, 0), Point(4.0f, 25, 100)));
    // 1 - 2^-25 rounds to 1.0f and passes; 1 - 2^-24 is a float of its own and fails.
    EXPECT_TRUE(
        AcceptPoints(ProbeKindPh, Point(std::ldexp(1.0f, -25), 25, 0), Point(1.0f, 25, 100)));
    EXPECT_FALSE(
        AcceptPoints(ProbeKindPh, Point(std::ldexp(1.0f, -24), 25, 0), Point(1.0f, 25, 100)));
}

TEST(AcceptPoints, IseStandardsMustBeAtLeastOneDecadeApart) {
    EXPECT_FALSE(AcceptPoints(ProbeKindIse, Point(10.0f, 25, 0), Point(50.0f, 25, 100)));
    EXPECT_TRUE(AcceptPoints(ProbeKindIse, Point(10.0f, 25, 0), Point(100.0f, 25, 100)));
    EXPECT_TRUE(AcceptPoints(ProbeKindIse, Point(100.0f, 25, 0), Point(10.0f, 25, 100)));
    // A negative concentration has no logarithm.
    EXPECT_FALSE(AcceptPoints(ProbeKindIse, Point(-10.0f, 25, 0), Point(100.0f, 25, 100)));
}

TEST(AcceptPoints, VoltagesMustDifferByMoreThan25Millivolts) {
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(4.0f, 25, 0.0f), Point(7.0f, 25, 25.0f)));
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(4.0f, 25, 25.0f), Point(7.0f, 25, 0.0f)));
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, 25, 0.0f),
                             Point(7.0f, 25, std::nextafter(25.0f, 26.0f))));
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, 25, 10.0f), Point(7.0f, 25, -15.5f)));
}

TEST(AcceptPoints, TemperaturesMustBeLessThan2Point9815DegreesApart) {
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(4.0f, 22.0f, 0), Point(7.0f, 25.0f, 100)));
    // The float nearest 2.9815 lies just below it and passes; the next float fails.
    const float limit = 2.9815f;
    ASSERT_LT(static_cast<long double>(limit), 2.9815L);
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, 0.0f, 0), Point(7.0f, limit, 100)));
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(4.0f, 0.0f, 0),
                              Point(7.0f, std::nextafter(limit, 3.0f), 100)));
    // The difference is rounded to single precision before the comparison: limit + 1e-7
    // lies above 2.9815 but rounds back to limit, so it passes.
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, -1.0e-7f, 0), Point(7.0f, limit, 100)));
    EXPECT_TRUE(AcceptPoints(ProbeKindPh, Point(4.0f, 25.0f, 0), Point(7.0f, 22.1f, 100)));
}

TEST(AcceptPoints, NanOrInfinityAnywhereRejectsThePair) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf}) {
        for (int field = 0; field < 6; ++field) {
            CalibrationPoint p[2] = {Ph686, Ph401};
            CalibrationPoint& target = p[field / 3];
            float* values[] = {&target.Standard, &target.Temperature, &target.Voltage};
            *values[field % 3] = bad;
            EXPECT_FALSE(AcceptPoints(ProbeKindPh, p[0], p[1])) << bad << " in " << field;
            EXPECT_FALSE(AcceptPoints(ProbeKindIse, p[0], p[1])) << bad << " in " << field;
        }
    }
}

TEST(AcceptPoints, AnInfiniteStandardDoesNotPassForAZeroSlope) {
    // "inf" is a number to the standard field; with it every separation rule would pass
    // and the calibration would write a slope of 0.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(AcceptPoints(ProbeKindPh, Point(7.0f, 25, 0), Point(inf, 25, 100)));
    EXPECT_FALSE(AcceptPoints(ProbeKindIse, Point(10.0f, 25, 0), Point(inf, 25, 100)));
}

TEST(AcceptPoints, AKindOtherThanPhAndIseRejectsEveryPair) {
    for (int kind : {2, 3, 255}) {
        EXPECT_FALSE(AcceptPoints(static_cast<std::uint8_t>(kind), Ph686, Ph401)) << kind;
        EXPECT_FALSE(
            AcceptPoints(static_cast<std::uint8_t>(kind), Point(1, 25, 0), Point(1000, 25, 100)))
            << kind;
    }
}

TEST(RefusePoints, NamesTheFirstRuleThePairBreaks) {
    CalibrationPoint unmeasured = Ph401;
    unmeasured.Valid = false;
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, unmeasured), PairRefusal::PointNotMeasured);
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, Point(INFINITY, 25.9f, 171.5f)),
              PairRefusal::NotFinite);
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, Point(6.0f, 25.9f, 171.5f)),
              PairRefusal::StandardsTooClose);
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, Point(4.0f, 25.9f, 28.0f)),
              PairRefusal::VoltagesTooClose);
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, Point(4.0f, 28.1f, 171.5f)),
              PairRefusal::TemperaturesTooFarApart);
    EXPECT_EQ(RefusePoints(7, Ph686, Ph401), PairRefusal::StandardsTooClose);
    EXPECT_EQ(RefusePoints(ProbeKindPh, Ph686, Ph401), PairRefusal::None);
    EXPECT_STREQ(PairRefusalText(PairRefusal::None), "");
    EXPECT_STRNE(PairRefusalText(PairRefusal::VoltagesTooClose), "");
}

}  // namespace
