// How qx7ctl ends, and the exception that carries a failed command's exit code to main.
#pragma once

#include <stdexcept>
#include <string>

// The exit codes scripts rely on; a diff that finds differences also ends with 1.
namespace ExitCode {
constexpr int Success = 0;
constexpr int Communication = 1;
constexpr int Usage = 2;
constexpr int Foreign = 3;
}  // namespace ExitCode

class CommandFailure : public std::runtime_error {
  public:
    CommandFailure(int code, const std::string& message)
        : std::runtime_error(message), Code(code) {}

    int Code;
};
