// A wait bounded from below by two witnesses: the clock's forward steps and the sleeps.
#include "link/wait_clock.h"

void WaitClock::WaitPassed(std::int64_t since, std::int64_t wait) {
    std::int64_t last = NowMicroseconds();
    // A clock already behind `since` stepped back, and how much time passed is then unknown.
    std::int64_t counted = last > since ? last - since : 0;
    std::int64_t slept = 0;
    // Once the clock has failed to move over a sleep, only the sleeps' certain lengths
    // count, so each must be long enough to count even when it ends early.
    bool stalled = false;
    for (;;) {
        const std::int64_t passed = counted > slept ? counted : slept;
        if (passed >= wait) {
            return;
        }
        const std::int64_t left = wait - passed + (stalled ? EarlyWake : 0);
        const std::int64_t milliseconds = (left + 999) / 1000;
        SleepMilliseconds(static_cast<std::uint32_t>(milliseconds));
        const std::int64_t certain = milliseconds * 1000 - EarlyWake;
        if (certain > 0) {
            slept += certain;
        }
        const std::int64_t now = NowMicroseconds();
        stalled = now <= last;
        if (!stalled) {
            counted += now - last;
        }
        last = now;
    }
}
