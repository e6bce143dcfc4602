#include <windows.h>

#include <cctype>

#include "cli/serial_device.h"
#include "link/serial_port.h"

namespace {

// COM1 to COM256 in any case: the names the serial driver gives, and nothing that could be
// a file.
bool IsComName(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return false;
        }
    }
    if (name[3] == '0') {
        return false;
    }
    unsigned number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
        number = number * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return number >= 1 && number <= 256;
}

std::string OpenFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "no such port";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "access denied: another program may hold the port";
        default:
            return "Windows error " + std::to_string(error);
    }
}

}  // namespace

SerialDeviceCheck CheckSerialDevice(const std::string& port) {
    SerialDeviceCheck check;
    check.Path = port;
    char path[SerialPort::PathBufferSize];
    if (!IsComName(port) || !SerialPort::DevicePath(port.c_str(), path, sizeof path)) {
        check.Problem = PortProblem::NotSerial;
        check.Reason = "not a COM port name (COM1 to COM256)";
        return check;
    }
    check.Path = path;
    // A handle on success, INVALID_HANDLE_VALUE with the reason in GetLastError on failure.
    HANDLE handle =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        check.Problem = PortProblem::CannotOpen;
        check.Reason = OpenFailure(GetLastError());
        return check;
    }
    // Nonzero on success; nothing is left to do when it fails.
    CloseHandle(handle);
    return check;
}
