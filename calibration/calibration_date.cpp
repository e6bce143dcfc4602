#include "calibration/calibration_date.h"

namespace {

std::uint32_t DaysInMonth(std::uint32_t year, std::uint32_t month) {
    static const std::uint32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

long DayNumber(const CalendarDay& day) {
    return static_cast<long>(DayOfDate(day.Year, day.Month, day.Day));
}

}  // namespace

// Counted in 400-year eras of 146097 days from a year that starts in March, so that the leap
// day falls at the end of the counted year.
std::int64_t DayOfDate(std::int64_t year, unsigned month, unsigned day) {
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

std::uint32_t ToBcd(std::uint32_t n) {
    std::uint32_t bcd = 0;
    for (int shift = 0; n != 0 && shift < 32; shift += 4) {
        bcd |= (n % 10) << shift;
        n /= 10;
    }
    return bcd;
}

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

CalibrationDate EncodeCalibrationDate(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    const std::uint32_t bcdYear = ToBcd(year);
    CalibrationDate date;
    date.Bytes[0] = static_cast<std::uint8_t>(ToBcd(day));
    date.Bytes[1] = static_cast<std::uint8_t>(ToBcd(month));
    date.Bytes[2] = static_cast<std::uint8_t>(bcdYear);
    date.Bytes[3] = static_cast<std::uint8_t>(bcdYear >> 8);
    return date;
}

std::optional<CalendarDay> DecodeCalibrationDate(std::uint32_t word) {
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

bool IsLeapYear(std::uint32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsRealDay(const CalendarDay& day) {
    return day.Year >= 1 && day.Year <= 9999 && day.Month >= 1 && day.Month <= 12 && day.Day >= 1 &&
           day.Day <= DaysInMonth(day.Year, day.Month);
}

long DaysBetween(const CalendarDay& from, const CalendarDay& to) {
    return DayNumber(to) - DayNumber(from);
}
