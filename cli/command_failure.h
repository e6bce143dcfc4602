// How qx7ctl ends, and the exception that carries a failed command's exit code to main.
#pragma once

#include <stdexcept>
#include <string>

// The exit codes scripts rely on, the same for every command (the README has the table).
namespace ExitCode {
constexpr int Success = 0;
// A "no" answer: diff found differences, info --check found the probe not good.
constexpr int No = 1;
constexpr int Usage = 2;
constexpr int Foreign = 3;
// No reply, a reply that cannot be used, or a port that does not open.
constexpr int Communication = 4;
// Everything else succeeded, but the calibration record could not be kept.
constexpr int RecordNotKept = 5;
// 128 plus the signal's number, as a shell reports a program the signal ended.
constexpr int Interrupted = 130;
constexpr int Terminated = 143;
}  // namespace ExitCode

class CommandFailure : public std::runtime_error {
  public:
    CommandFailure(int code, const std::string& message)
        : std::runtime_error(message), Code(code) {}

    int Code;
};
