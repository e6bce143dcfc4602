// The texts and JSON numbers qx7ctl shows for wire values: floats, dates and versions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "calibration/local_date.h"

// The shortest decimal that reads back as the same float, as a double: -59.16f becomes
// -59.16 rather than -59.15999984741211, and a JSON file holding it restores the same bits.
double ShortestDouble(float value);
std::string FloatText(float value);

// The packed-decimal calibration date as YYYY-MM-DD; none for the all-zero "no date".
std::optional<std::string> DateText(std::uint32_t word);
// YYYY-MM-DD with a real month and day, as the packed-decimal word; none otherwise.
std::optional<std::uint32_t> ParseDate(const std::string& text);
// The calendar day of a packed-decimal word whose digits are all decimal; none otherwise.
std::optional<CalendarDay> DayOfDate(std::uint32_t word);
// Days from `from` to `to` in the proleptic Gregorian calendar (negative when to is earlier).
long DaysBetween(const CalendarDay& from, const CalendarDay& to);

// The firmware word as major.minor in hexadecimal digits (0x0103 is 1.03).
std::string VersionText(std::uint16_t version);
// Printable ASCII as it is, every other byte as \xNN, so an identity can be quoted safely.
std::string Quoted(const std::string& text);
