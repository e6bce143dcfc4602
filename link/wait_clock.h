// The clock and the sleep under a wait that must never end early, whatever the platform's
// clock and sleep do: the clock may stand still or step back, and a sleep may end up to a
// known time before it was asked to.
#pragma once

#include <cstdint>

class WaitClock {
  public:
    // earlyWake: how many microseconds before its time a sleep may end.
    explicit WaitClock(std::int64_t earlyWake) : EarlyWake(earlyWake) {}
    virtual ~WaitClock() = default;

    virtual std::int64_t NowMicroseconds() = 0;
    virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;

    // Returns once `wait` microseconds have certainly passed since the clock read `since`:
    // either the clock's forward steps add up to it, or the sleeps' certain lengths do.
    void WaitPassed(std::int64_t since, std::int64_t wait);

  private:
    std::int64_t EarlyWake;
};
