#include <windows.h>

#include "calibration/local_date.h"

CalendarDay LocalDate::Today() const {
    SYSTEMTIME local;
    // GetLocalTime cannot fail.
    GetLocalTime(&local);
    CalendarDay today;
    today.Year = local.wYear;
    today.Month = local.wMonth;
    today.Day = local.wDay;
    return today;
}
