// A program started by a test, as a user would start it; ended with it unless it ended first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ProgramProcess {
  public:
    ProgramProcess() = default;
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts the command line (the program's path first, quoted if it has spaces) with this
    // process's environment plus `variables` ("NAME=value", replacing a variable of that
    // name). False when the program could not be started.
    bool Start(const std::string& commandLine, const std::vector<std::string>& variables = {});

    DWORD Id() const { return Information.dwProcessId; }
    HANDLE Handle() const { return Information.hProcess; }
    bool IsRunning() const;

    // Waits for the program to end; false when it still runs after `timeoutMs`.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;

    // Ends the program at once (exit code 1) and waits for it to be gone.
    void Terminate();

  private:
    PROCESS_INFORMATION Information = {};
};
