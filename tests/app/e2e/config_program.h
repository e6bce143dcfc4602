// The configuration tool as its user meets it: started fresh, found by its window title, its
// controls reached by their ids, and closed through the system's close command.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/app/driver/program_process.h"
#include "tests/app/driver/window_info.h"

class ConfigProgram {
  public:
    ConfigProgram() = default;
    ConfigProgram(const ConfigProgram&) = delete;
    ConfigProgram& operator=(const ConfigProgram&) = delete;

    // Starts the executable this test was built beside, with these NAME=value variables added
    // to the environment, and waits for its window; false when it did not start or showed no
    // window. A program started before is ended first.
    bool Start(const std::vector<std::string>& variables = {});

    HWND Window() const { return MainWindow; }
    DWORD ProcessId() const { return Process.Id(); }
    // The child control with this id; null when there is none.
    HWND Control(int id) const;
    // The child at this position of the layout (0 is the first control created).
    HWND ChildAt(size_t index) const;
    std::string TextAt(size_t index) const;

    // The system's close command; true when the program then ended within the time, with its
    // exit code.
    bool Close(DWORD& exitCode);
    // Whether the program ended within the time, with its exit code.
    bool WaitForExit(DWORD& exitCode) const;

  private:
    ProgramProcess Process;
    HWND MainWindow = nullptr;
};
