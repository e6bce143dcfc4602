#include "cli/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calibration/calibration_date.h"

double ShortestDouble(float value) {
    if (!std::isfinite(value)) {
        return static_cast<double>(value);
    }
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    return std::strtod(text, nullptr);
}

std::string FloatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", ShortestDouble(value));
    return text;
}

std::optional<std::string> DateText(std::uint32_t word) {
    if (word == 0) {
        return std::nullopt;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04x-%02x-%02x", static_cast<unsigned>(word >> 16),
                  static_cast<unsigned>(word >> 8 & 0xFF), static_cast<unsigned>(word & 0xFF));
    return std::string(text);
}

namespace {

// The number whose decimal digits are the nibbles of bcd; none when a nibble is no digit.
std::optional<std::uint32_t> FromBcd(std::uint32_t bcd) {
    std::uint32_t value = 0;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const std::uint32_t digit = bcd >> shift & 0xF;
        if (digit > 9) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

bool IsLeapYear(std::uint32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::uint32_t DaysInMonth(std::uint32_t year, std::uint32_t month) {
    static const std::uint32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsRealDay(const CalendarDay& day) {
    return day.Year >= 1 && day.Year <= 9999 && day.Month >= 1 && day.Month <= 12 && day.Day >= 1 &&
           day.Day <= DaysInMonth(day.Year, day.Month);
}

// Days since 1970-01-01 of a civil date (the well-known era-based conversion).
long DayNumber(const CalendarDay& day) {
    const long y = static_cast<long>(day.Year) - (day.Month <= 2 ? 1 : 0);
    const long era = y / 400;
    const long yearOfEra = y - era * 400;
    const long month = static_cast<long>(day.Month);
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day.Day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<std::uint32_t> ParseDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
    }
    CalendarDay day;
    day.Year = static_cast<std::uint32_t>(std::stoul(text.substr(0, 4)));
    day.Month = static_cast<std::uint32_t>(std::stoul(text.substr(5, 2)));
    day.Day = static_cast<std::uint32_t>(std::stoul(text.substr(8, 2)));
    if (!IsRealDay(day)) {
        return std::nullopt;
    }
    return EncodeCalibrationDate(day.Year, day.Month, day.Day).Word();
}

std::optional<CalendarDay> DayOfDate(std::uint32_t word) {
    if (word == 0) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> year = FromBcd(word >> 16);
    const std::optional<std::uint32_t> month = FromBcd(word >> 8 & 0xFF);
    const std::optional<std::uint32_t> day = FromBcd(word & 0xFF);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const CalendarDay calendarDay{*year, *month, *day};
    if (!IsRealDay(calendarDay)) {
        return std::nullopt;
    }
    return calendarDay;
}

long DaysBetween(const CalendarDay& from, const CalendarDay& to) {
    return DayNumber(to) - DayNumber(from);
}

std::string VersionText(std::uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", static_cast<unsigned>(version >> 8),
                  static_cast<unsigned>(version & 0xFF));
    return text;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            quoted += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        }
    }
    return quoted + "\"";
}
