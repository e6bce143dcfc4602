// The transmitter simulator's control FIFO, through which a test changes the simulated
// transmitter while the program talks to it (commands in tools/README.md).
#pragma once

#include <string>
#include <utility>

class SimulatorControl {
  public:
    // The FIFO at the Windows path in QX7_SIM_CONTROL (set by scripts/with-simulator.sh).
    SimulatorControl();
    explicit SimulatorControl(std::string path) : Path(std::move(path)) {}

    // Writes one command line, e.g. "fault pattern on 38"; the simulator applies it before
    // any request that arrives afterwards. False when the FIFO cannot be written.
    bool Send(const std::string& command) const;

  private:
    std::string Path;
};
