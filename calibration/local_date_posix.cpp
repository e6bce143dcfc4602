#include <ctime>

#include "calibration/local_date.h"

CalendarDay LocalDate::Today() const {
    CalendarDay today;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    // localtime_r returns null only for a time it cannot represent; the day then stays 0.
    if (localtime_r(&now, &local) != nullptr) {
        today.Year = static_cast<std::uint32_t>(local.tm_year + 1900);
        today.Month = static_cast<std::uint32_t>(local.tm_mon + 1);
        today.Day = static_cast<std::uint32_t>(local.tm_mday);
    }
    return today;
}
