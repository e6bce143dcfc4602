// The late-reply wait never ends early, whatever the clock and the sleep under it do.
#include "link/wait_clock.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Real time moves only in sleeps, each as short as the platform allows; the clock reads it
// through a distortion of the test's choice.
class FakeClock : public WaitClock {
  public:
    FakeClock(std::int64_t earlyWake, std::function<std::int64_t(std::int64_t)> reading)
        : WaitClock(earlyWake), EarlyWake(earlyWake), Reading(std::move(reading)) {}

    std::int64_t NowMicroseconds() override { return Reading(Real); }
    void SleepMilliseconds(std::uint32_t milliseconds) override {
        ++Sleeps;
        const std::int64_t asked = static_cast<std::int64_t>(milliseconds) * 1000;
        Real += asked > EarlyWake ? asked - EarlyWake : 0;
    }

    std::int64_t Real = 1000000;
    int Sleeps = 0;

  private:
    std::int64_t EarlyWake;
    std::function<std::int64_t(std::int64_t)> Reading;
};

constexpr std::int64_t Wait = 586000;
constexpr std::int64_t Tick = 16000;

TEST(WaitClock, ASleepThatEndsATickEarlyIsMadeUpFor) {
    FakeClock clock(Tick, [](std::int64_t real) { return real; });
    const std::int64_t start = clock.Real;
    clock.WaitPassed(clock.NowMicroseconds(), Wait);
    EXPECT_GE(clock.Real - start, Wait);
    EXPECT_LT(clock.Sleeps, 100);
}

TEST(WaitClock, TheTimeAlreadyPassedSinceTheWriteCounts) {
    FakeClock clock(0, [](std::int64_t real) { return real; });
    const std::int64_t written = clock.Real;
    clock.Real += Wait - 1000;
    clock.WaitPassed(written, Wait);
    EXPECT_EQ(clock.Real - written, Wait);
    clock.WaitPassed(written, Wait);
    EXPECT_EQ(clock.Sleeps, 1) << "a window that has passed costs nothing";
}

TEST(WaitClock, AClockThatStandsStillDoesNotMakeTheWaitEndlessOrShort) {
    FakeClock clock(Tick, [](std::int64_t) { return 5000000; });
    const std::int64_t start = clock.Real;
    clock.WaitPassed(clock.NowMicroseconds(), Wait);
    EXPECT_GE(clock.Real - start, Wait);
    EXPECT_LT(clock.Sleeps, 100);
}

TEST(WaitClock, AClockThatStepsBackDoesNotSkipTheWait) {
    // The clock jumps a second back right after the write.
    const std::int64_t written = 1000000;
    FakeClock clock(Tick,
                    [&](std::int64_t real) { return real > written ? real - 1000000 : real; });
    clock.Real = written + 1;
    clock.WaitPassed(written, Wait);
    EXPECT_GE(clock.Real - written, Wait);
    EXPECT_LT(clock.Sleeps, 100);
}

TEST(WaitClock, AClockThatStepsBackOverAndOverEndsOnTheSleepsAlone) {
    FakeClock clock(Tick, [](std::int64_t real) { return -real; });
    const std::int64_t start = clock.Real;
    clock.WaitPassed(clock.NowMicroseconds(), Wait);
    EXPECT_GE(clock.Real - start, Wait);
    EXPECT_LT(clock.Sleeps, 100);
}

}  // namespace
