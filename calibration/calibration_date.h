// The packed-decimal date of the last probe calibration (command 60), and the calendar
// arithmetic that decides whether such a date is a real day and how long ago it was.
#pragma once

#include <cstdint>
#include <optional>

#include "calibration/local_date.h"

struct CalibrationDate {
    // Day, month, year's low two digits, year's high two digits; two BCD digits each.
    std::uint8_t Bytes[4] = {};

    // The little-endian word the transmitter exchanges: 0xYYYYMMDD in BCD.
    std::uint32_t Word() const {
        return static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
               static_cast<std::uint32_t>(Bytes[2]) << 16 |
               static_cast<std::uint32_t>(Bytes[3]) << 24;
    }
};

// Decimal digit k of n goes to bits 4k..4k+3: 2026 becomes 0x2026.
std::uint32_t ToBcd(std::uint32_t n);
// The number whose decimal digits are the nibbles of bcd; none when a nibble is no digit.
std::optional<std::uint32_t> FromBcd(std::uint32_t bcd);

CalibrationDate EncodeCalibrationDate(std::uint32_t year, std::uint32_t month, std::uint32_t day);
// The day a packed-decimal word names; none for the all-zero "no date", for a nibble that is
// no decimal digit and for a day the calendar does not have (2026-13-40, 2025-02-29).
std::optional<CalendarDay> DecodeCalibrationDate(std::uint32_t word);

bool IsLeapYear(std::uint32_t year);
// A day of the proleptic Gregorian calendar between the years 1 and 9999.
bool IsRealDay(const CalendarDay& day);
// Days since 1970-01-01 and back, in the proleptic Gregorian calendar.
std::int64_t DayOfDate(std::int64_t year, unsigned month, unsigned day);
void DateOfDay(std::int64_t day, std::int64_t& year, unsigned& month, unsigned& dayOfMonth);

// Days from `from` to `to` (negative when `to` is earlier); both must be real days.
long DaysBetween(const CalendarDay& from, const CalendarDay& to);
