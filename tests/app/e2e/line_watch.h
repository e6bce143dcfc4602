// What the program sent to the simulated transmitter since a chosen moment, read from the
// simulator's request log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/app/driver/logged_frame.h"
#include "tests/app/driver/simulator_log.h"

class LineWatch {
  public:
    // From now on.
    void Mark();
    // The requests since the mark, oldest first.
    std::vector<LoggedFrame> Frames() const;
    // Their command codes.
    std::vector<int> Codes() const;
    // Waits until at least `count` requests arrived since the mark; false when they did not
    // within `timeoutMs`.
    bool WaitForCount(size_t count, DWORD timeoutMs) const;
    // The requests since the mark as "code@milliseconds" for a failure's message, so that a
    // connection that stopped early shows where it stopped and how late the line went quiet.
    std::string Summary() const;

  private:
    SimulatorLog Log;
    size_t Seen = 0;
};
