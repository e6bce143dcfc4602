#include "tests/app/driver/simulator_control.h"

#include <windows.h>

#include <cstdlib>

SimulatorControl::SimulatorControl() {
    const char* path = std::getenv("QX7_SIM_CONTROL");
    Path = path != nullptr ? path : "";
}

bool SimulatorControl::Send(const std::string& command) const {
    // The simulator holds the FIFO open for reading, so opening it to write does not block.
    HANDLE fifo = CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fifo == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::string line = command + "\n";
    DWORD written = 0;
    // One write of a short line keeps it whole in the FIFO. Nonzero on success.
    const bool ok =
        WriteFile(fifo, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE &&
        written == line.size();
    CloseHandle(fifo);
    return ok;
}
