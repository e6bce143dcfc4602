#include <gtest/gtest.h>

#include "calibration/calibration_date.h"

namespace {

TEST(ToBcd, PutsEachDecimalDigitInItsOwnNibble) {
    EXPECT_EQ(ToBcd(0), 0x0u);
    EXPECT_EQ(ToBcd(8), 0x08u);
    EXPECT_EQ(ToBcd(12), 0x12u);
    EXPECT_EQ(ToBcd(2026), 0x2026u);
    EXPECT_EQ(ToBcd(99999999), 0x99999999u);
}

TEST(EncodeCalibrationDate, LaysOutDayMonthAndTheYearLowDigitsFirst) {
    CalibrationDate december = EncodeCalibrationDate(2026, 12, 8);
    EXPECT_EQ(december.Bytes[0], 0x08);
    EXPECT_EQ(december.Bytes[1], 0x12);
    EXPECT_EQ(december.Bytes[2], 0x26);
    EXPECT_EQ(december.Bytes[3], 0x20);
    EXPECT_EQ(december.Word(), 0x20261208u);

    CalibrationDate newYear = EncodeCalibrationDate(2027, 1, 1);
    EXPECT_EQ(newYear.Bytes[0], 0x01);
    EXPECT_EQ(newYear.Bytes[1], 0x01);
    EXPECT_EQ(newYear.Bytes[2], 0x27);
    EXPECT_EQ(newYear.Bytes[3], 0x20);
    // Shown as year, month and day in hexadecimal, this reads as the decimal date.
    EXPECT_EQ(newYear.Word(), 0x20270101u);
}

}  // namespace

namespace {

CalendarDay Day(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    return CalendarDay{year, month, day};
}

TEST(DecodeCalibrationDate, GivesTheDayOfEveryRealDateAndNoneForDigitsThatNameNoDay) {
    const std::optional<CalendarDay> leapDay = DecodeCalibrationDate(0x20240229);
    ASSERT_TRUE(leapDay);
    EXPECT_EQ(leapDay->Year, 2024u);
    EXPECT_EQ(leapDay->Month, 2u);
    EXPECT_EQ(leapDay->Day, 29u);
    EXPECT_TRUE(DecodeCalibrationDate(0x20000229));
    EXPECT_FALSE(DecodeCalibrationDate(0x21000229));  // a century that is no leap year
    EXPECT_FALSE(DecodeCalibrationDate(0x20250229));
    EXPECT_FALSE(DecodeCalibrationDate(0x20261340));  // month 13, day 40
    EXPECT_FALSE(DecodeCalibrationDate(0x20260431));
    EXPECT_FALSE(DecodeCalibrationDate(0x20260100));
    EXPECT_FALSE(DecodeCalibrationDate(0x2026AB01));  // nibbles that are no digits
    EXPECT_FALSE(DecodeCalibrationDate(0xFFFFFFFF));  // the fault pattern
    EXPECT_FALSE(DecodeCalibrationDate(0));           // no date
    EXPECT_FALSE(FromBcd(0x1A));
    EXPECT_EQ(FromBcd(0x20261208), 20261208u);
}

TEST(DaysBetween, CountsLeapDaysAndCenturiesAndIsNegativeBackwards) {
    EXPECT_EQ(DaysBetween(Day(2024, 2, 28), Day(2024, 3, 1)), 2);
    EXPECT_EQ(DaysBetween(Day(2025, 2, 28), Day(2025, 3, 1)), 1);
    EXPECT_EQ(DaysBetween(Day(1900, 2, 28), Day(1900, 3, 1)), 1);
    EXPECT_EQ(DaysBetween(Day(2000, 2, 28), Day(2000, 3, 1)), 2);
    EXPECT_EQ(DaysBetween(Day(2000, 1, 1), Day(2100, 1, 1)), 36525);
    EXPECT_EQ(DaysBetween(Day(1970, 1, 1), Day(2026, 1, 1)), 20454);
    EXPECT_EQ(DaysBetween(Day(2026, 1, 1), Day(2025, 12, 31)), -1);
    EXPECT_EQ(DaysBetween(Day(1, 1, 1), Day(9999, 12, 31)), 3652058);
    EXPECT_FALSE(IsRealDay(Day(0, 1, 1)));
    EXPECT_FALSE(IsRealDay(Day(10000, 1, 1)));
}

}  // namespace
