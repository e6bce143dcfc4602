// The seconds of a guided calibration: real time, or real time run faster for tests and
// demonstrations against a simulator whose probe settles at the same pace.
#pragma once

#include <chrono>

class ScaledClock {
  public:
    explicit ScaledClock(double scale = 1.0);

    // Seconds since the clock was made, times the scale.
    double Seconds() const;
    // Waits until Seconds() reaches the time given; false as soon as a stop is requested.
    bool WaitUntil(double seconds) const;

  private:
    double Scale;
    std::chrono::steady_clock::time_point Start;
};
