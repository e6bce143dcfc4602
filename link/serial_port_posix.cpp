// The serial port on POSIX terminals: raw mode, and reads and writes bounded by the same
// total time-outs that the Windows driver applies.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "link/serial_port.h"
#include "link/wait_clock.h"

namespace {

using Clock = std::chrono::steady_clock;

int AsFd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

speed_t SpeedOf(std::uint32_t baudRate) {
    switch (baudRate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B9600;
    }
}

int MillisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void SleepUntil(Clock::time_point deadline) {
    poll(nullptr, 0, MillisecondsUntil(deadline));
}

std::int64_t NowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

// The steady clock never steps back, and a sleep in poll never ends before its time.
class SteadyWaitClock : public WaitClock {
  public:
    SteadyWaitClock() : WaitClock(0) {}
    std::int64_t NowMicroseconds() override { return ::NowMicroseconds(); }
    void SleepMilliseconds(std::uint32_t milliseconds) override {
        poll(nullptr, 0, static_cast<int>(milliseconds));
    }
};

// Waits until fd is ready for events or the deadline passes. A hang-up or error reported
// without the events means nothing will come: the rest of the time-out passes, as with a
// silent line.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        int wait = MillisecondsUntil(deadline);
        pollfd p = {fd, events, 0};
        int n = poll(&p, 1, wait);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        if ((p.revents & events) != 0) {
            return true;
        }
        // POLLHUP or POLLERR without data: nothing will come before the deadline.
        SleepUntil(deadline);
        return false;
    }
}

}  // namespace

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const char* devicePath) {
    LineGone = false;
    int fd = open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    Handle = fd;
    if (fd < 0) {
        Handle = InvalidHandle;
        return false;
    }
    // Exclusive use, as the Windows share mode 0; not every terminal supports it.
    ioctl(fd, TIOCEXCL);
    return true;
}

void SerialPort::Close() {
    if (!IsOpen()) {
        return;
    }
    close(AsFd(Handle));
    Handle = InvalidHandle;
}

void SerialPort::SetState(std::uint32_t flags, std::uint32_t baudRate, std::uint8_t byteSize,
                          std::uint8_t parity, std::uint8_t stopBits) {
    if (!IsOpen()) {
        return;
    }
    int fd = AsFd(Handle);
    termios t;
    if (tcgetattr(fd, &t) != 0) {
        return;
    }
    cfmakeraw(&t);
    cfsetispeed(&t, SpeedOf(baudRate));
    cfsetospeed(&t, SpeedOf(baudRate));
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= byteSize == 7 ? CS7 : byteSize == 6 ? CS6 : byteSize == 5 ? CS5 : CS8;
    if (parity == 1 || parity == 2) {  // odd, even
        t.c_cflag |= PARENB | (parity == 1 ? PARODD : 0);
    }
    if (stopBits == 2) {  // two stop bits
        t.c_cflag |= CSTOPB;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
    // fDtrControl and fRtsControl "enable" raise the modem lines; a pseudo-terminal has none.
    int lines = 0;
    if (DcbFlags::DtrControl(flags) == DcbFlags::LineControlEnable) {
        lines |= TIOCM_DTR;
    }
    if (DcbFlags::RtsControl(flags) == DcbFlags::LineControlEnable) {
        lines |= TIOCM_RTS;
    }
    if (lines != 0) {
        ioctl(fd, TIOCMBIS, &lines);
    }
}

bool SerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (!IsOpen()) {
        return false;
    }
    Timeouts = timeouts;
    return true;
}

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    int fd = AsFd(Handle);
    auto deadline =
        Clock::now() + std::chrono::milliseconds(
                           Timeouts.ReadTotalTimeoutConstant +
                           static_cast<std::uint64_t>(Timeouts.ReadTotalTimeoutMultiplier) * count);
    if (LineGone) {
        SleepUntil(deadline);
        return 0;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::uint32_t done = 0;
    // In raw mode an empty line reads as 0 bytes, so only a read that finds nothing right
    // after poll reported the line readable is a hang-up.
    bool readable = false;
    while (done < count) {
        ssize_t n = read(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            readable = false;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if ((n == 0 && readable) || (n < 0 && errno != EAGAIN)) {
            // The other end hung up: poll reports the line readable at once and every read
            // finds nothing, for ever. The rest of the time-out passes as on a silent line
            // instead of in a busy loop.
            SleepUntil(deadline);
            break;
        }
        readable = WaitFor(fd, POLLIN, deadline);
        if (!readable) {
            break;
        }
    }
    return done;
}

std::uint32_t SerialPort::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    int fd = AsFd(Handle);
    const auto start = Clock::now();
    WriteStart =
        std::chrono::duration_cast<std::chrono::microseconds>(start.time_since_epoch()).count();
    auto deadline =
        start + std::chrono::milliseconds(
                    Timeouts.WriteTotalTimeoutConstant +
                    static_cast<std::uint64_t>(Timeouts.WriteTotalTimeoutMultiplier) * count);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::uint32_t done = 0;
    LineGone = false;
    while (done < count) {
        ssize_t n = write(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            // EIO once the other end has hung up.
            LineGone = true;
            break;
        }
        if (!WaitFor(fd, POLLOUT, deadline)) {
            break;
        }
    }
    WriteEnd = NowMicroseconds();
    return done;
}

void SerialPort::Purge(std::uint32_t flags) {
    if (!IsOpen()) {
        return;
    }
    bool rx = (flags & (PurgeRxClear | PurgeRxAbort)) != 0;
    bool tx = (flags & (PurgeTxClear | PurgeTxAbort)) != 0;
    if (rx || tx) {
        tcflush(AsFd(Handle), rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH);
    }
}

std::uint32_t SerialPort::InputWaiting() {
    if (!IsOpen()) {
        return 0;
    }
    int waiting = 0;
    // 0 on success; a failure reads as an empty input.
    if (ioctl(AsFd(Handle), FIONREAD, &waiting) != 0 || waiting < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(waiting);
}

std::int64_t SerialPort::MicrosecondsSinceWrite() const {
    const std::int64_t elapsed = NowMicroseconds() - WriteStart;
    return elapsed > 0 ? elapsed : 0;
}

void SerialPort::WaitAfterWrite(std::int64_t microseconds) {
    SteadyWaitClock clock;
    clock.WaitPassed(WriteEnd, microseconds);
}

bool SerialPort::DevicePath(const char* portName, char* path, std::size_t size) {
    int n = std::strchr(portName, '/') != nullptr ? std::snprintf(path, size, "%s", portName)
                                                  : std::snprintf(path, size, "/dev/%s", portName);
    return n >= 0 && static_cast<std::size_t>(n) < size;
}
