// Whether a port name leads to a serial device, decided before a single byte is written, so
// that swapped arguments never overwrite a file and a refused open says why.
#pragma once

#include <string>

enum class PortProblem { None, NotSerial, CannotOpen };

struct SerialDeviceCheck {
    PortProblem Problem = PortProblem::None;
    // The device path that was tried.
    std::string Path;
    // What the path is instead of a serial device, or why it did not open.
    std::string Reason;
};

// POSIX: a character device that is a terminal. Windows: a COM port name (COM1 to COM256).
SerialDeviceCheck CheckSerialDevice(const std::string& port);
