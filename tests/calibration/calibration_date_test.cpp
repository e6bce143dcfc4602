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
