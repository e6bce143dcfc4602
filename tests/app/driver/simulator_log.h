// The transmitter simulator's request log, read back into frames: what the program sent.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/app/driver/logged_frame.h"

class SimulatorLog {
  public:
    // The log at the Windows path in QX7_SIM_LOG (set by scripts/with-simulator.sh).
    SimulatorLog();
    explicit SimulatorLog(std::string path) : Path(std::move(path)) {}

    const std::string& FilePath() const { return Path; }

    // Every frame logged so far, oldest first; false when the log cannot be read or holds a
    // line that is not "MILLISECONDS HH HH ...".
    bool Read(std::vector<LoggedFrame>& frames) const;

    // The frames logged after the first `skip`, for "what did this action send": note the
    // count before the action and read from there after it.
    bool ReadFrom(size_t skip, std::vector<LoggedFrame>& frames) const;

    // One log line into a frame; false for a malformed line.
    static bool ParseLine(const std::string& line, LoggedFrame& frame);

  private:
    std::string Path;
};
