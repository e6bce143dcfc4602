// Runs qx7sim beside a native test, in a fresh directory, until the object goes.
// The directory holds its pseudo-terminal link, request log and control FIFO.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class SimulatorProcess {
  public:
    // Starts qx7sim with --link, --log and --control in a new temporary directory, plus
    // the extra options (e.g. {"--pace"} or {"--set", "ph=4"}); returns once the link exists.
    explicit SimulatorProcess(const std::vector<std::string>& options = {});
    ~SimulatorProcess();

    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // False when the simulator did not start or its link never appeared.
    bool IsRunning() const { return Running; }
    // The path a SerialPort or TransmitterLink opens: the symlink to the pty's slave side.
    const std::string& DevicePath() const { return Link; }
    const std::string& Directory() const { return Dir; }
    pid_t ProcessId() const { return Pid; }

    // One control command (see tools/README.md), e.g. "set resistance 138.5" or
    // "fault silent on 38 times 1". The simulator applies it before any request that the
    // caller sends afterwards.
    bool Control(const std::string& line) const;

    // Every request frame the simulator has received so far, oldest first.
    std::vector<std::vector<std::uint8_t>> Frames() const;
    // When the simulator took request `index` (0 the oldest), in milliseconds since it
    // started; -1 when there is no such request.
    long long FrameTime(std::size_t index) const;
    // The most recent request frame, or an empty one.
    std::vector<std::uint8_t> LastFrame() const;

    // Ends the simulator and waits for it; its pseudo-terminal goes with it.
    void Stop();

  private:
    std::vector<std::vector<std::uint8_t>> Frames(std::vector<long long>& times) const;

    std::string Dir;
    std::string Link;
    std::string Log;
    std::string ControlPath;
    pid_t Pid = -1;
    bool Running = false;
};
