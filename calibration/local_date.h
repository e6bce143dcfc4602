// Today's date on the computer's clock, behind a seam so that tests can fix the day.
#pragma once

#include <cstdint>

struct CalendarDay {
    std::uint32_t Year = 0;
    std::uint32_t Month = 0;  // 1 to 12
    std::uint32_t Day = 0;    // 1 to 31
};

class LocalDate {
  public:
    virtual ~LocalDate() = default;

    // The local date; each platform supplies its own clock.
    virtual CalendarDay Today() const;
};
