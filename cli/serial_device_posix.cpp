#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/serial_device.h"
#include "link/serial_port.h"

namespace {

std::string OpenFailure(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "permission denied (a serial port usually needs membership of the dialout "
                   "group)";
        case EBUSY:
            return "busy: another program holds the port";
        case ENOENT:
            return "no such device";
        case ENXIO:
        case ENODEV:
            return "no such device (unplugged?)";
        default:
            return std::strerror(error);
    }
}

const char* KindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return "a regular file, not a serial device";
    }
    if (S_ISDIR(mode)) {
        return "a directory, not a serial device";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO, not a serial device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket, not a serial device";
    }
    return "a block device, not a serial device";
}

}  // namespace

SerialDeviceCheck CheckSerialDevice(const std::string& port) {
    SerialDeviceCheck check;
    char path[SerialPort::PathBufferSize];
    if (port.empty() || !SerialPort::DevicePath(port.c_str(), path, sizeof path)) {
        check.Problem = PortProblem::NotSerial;
        check.Path = port;
        check.Reason = port.empty() ? "an empty name" : "a name too long for a device path";
        return check;
    }
    check.Path = path;
    struct stat info;
    // 0 on success; a missing device is a port that cannot be opened, not a usage error.
    if (stat(path, &info) != 0) {
        check.Problem = PortProblem::CannotOpen;
        check.Reason = OpenFailure(errno);
        return check;
    }
    if (!S_ISCHR(info.st_mode)) {
        check.Problem = PortProblem::NotSerial;
        check.Reason = KindOf(info.st_mode);
        return check;
    }
    // Opening writes nothing; O_NONBLOCK keeps a modem line without carrier from blocking.
    const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        check.Problem = PortProblem::CannotOpen;
        check.Reason = OpenFailure(errno);
        return check;
    }
    const bool terminal = isatty(fd) == 1;
    close(fd);
    if (!terminal) {
        check.Problem = PortProblem::NotSerial;
        check.Reason = "a character device that is not a terminal, not a serial device";
    }
    return check;
}
