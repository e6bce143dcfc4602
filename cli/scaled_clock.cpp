#include "cli/scaled_clock.h"

#include <algorithm>
#include <thread>

#include "cli/stop_signals.h"

ScaledClock::ScaledClock(double scale) : Scale(scale), Start(std::chrono::steady_clock::now()) {}

double ScaledClock::Seconds() const {
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - Start;
    return real.count() * Scale;
}

bool ScaledClock::WaitUntil(double seconds) const {
    for (;;) {
        if (StopRequested()) {
            return false;
        }
        const double left = (seconds - Seconds()) / Scale;
        if (left <= 0.0) {
            return true;
        }
        // Short slices, so Ctrl-C is answered within a tenth of a second.
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(left, 0.1)));
    }
}
