#include "cli/utc_time.h"

#include <cstdio>

#include "calibration/calibration_date.h"

namespace {

constexpr std::int64_t MillisecondsPerDay = 86400000;

bool Digits(const std::string& text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string UtcText(std::int64_t unixMilliseconds) {
    std::int64_t days = unixMilliseconds / MillisecondsPerDay;
    std::int64_t rest = unixMilliseconds % MillisecondsPerDay;
    if (rest < 0) {
        rest += MillisecondsPerDay;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    DateOfDay(days, year, month, day);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d.%03dZ",
                  static_cast<long long>(year), month, day, static_cast<int>(rest / 3600000),
                  static_cast<int>(rest / 60000 % 60), static_cast<int>(rest / 1000 % 60),
                  static_cast<int>(rest % 1000));
    return text;
}

std::optional<std::int64_t> UnixMillisecondsOf(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[23] != 'Z' ||
        !Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) ||
        !Digits(text, 17, 2, second) || !Digits(text, 20, 3, millis) || month < 1 || month > 12 ||
        day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    const std::int64_t seconds =
        DayOfDate(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
        hour * 3600 + minute * 60 + second;
    return seconds * 1000 + millis;
}
