// The serial port on the Win32 API: synchronous handle I/O, no overlapped operations.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "link/serial_port.h"
#include "link/wait_clock.h"

namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::int64_t NowMicroseconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    // Both always succeed on the systems the program runs on (Windows XP and later).
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    // In two parts, so that a counter of many days does not overflow on the way.
    const std::int64_t seconds = now.QuadPart / frequency.QuadPart;
    const std::int64_t rest = now.QuadPart % frequency.QuadPart;
    return seconds * 1000000 + rest * 1000000 / frequency.QuadPart;
}

// Sleep may end up to one scheduler tick (15.6 ms at most) before its time, and the
// performance counter has been seen to stand still or step back on some machines.
class PerformanceWaitClock : public WaitClock {
  public:
    PerformanceWaitClock() : WaitClock(16000) {}
    std::int64_t NowMicroseconds() override { return ::NowMicroseconds(); }
    void SleepMilliseconds(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const char* devicePath) {
    LineGone = false;
    // A handle on success, INVALID_HANDLE_VALUE on failure (absent, in use, access denied).
    HANDLE handle = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                0, nullptr);
    // INVALID_HANDLE_VALUE is stored all the same: it is the closed state.
    Handle = reinterpret_cast<std::intptr_t>(handle);
    return handle != INVALID_HANDLE_VALUE;
}

void SerialPort::Close() {
    if (!IsOpen()) {
        return;
    }
    // Nonzero on success. A failure leaves nothing to retry: the handle is gone or was never
    // valid, and the port counts as closed either way.
    CloseHandle(AsHandle(Handle));
    Handle = InvalidHandle;
}

void SerialPort::SetState(std::uint32_t flags, std::uint32_t baudRate, std::uint8_t byteSize,
                          std::uint8_t parity, std::uint8_t stopBits) {
    if (!IsOpen()) {
        return;
    }
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    // Nonzero on success. On failure the zeroed DCB stands in for the port's state, so the
    // fields not overwritten below go out as 0; SetCommState then decides.
    GetCommState(AsHandle(Handle), &dcb);
    dcb.BaudRate = baudRate;
    // The flags are one 32-bit word after BaudRate; it is replaced whole, not flag by flag.
    std::memcpy(reinterpret_cast<char*>(&dcb) + offsetof(DCB, BaudRate) + sizeof dcb.BaudRate,
                &flags, sizeof flags);
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    // Nonzero on success. A port that refuses the settings keeps its own; the link counts it
    // open all the same, and a transmitter that cannot be understood fails its exchanges.
    SetCommState(AsHandle(Handle), &dcb);
}

bool SerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (!IsOpen()) {
        return false;
    }
    // Kept to tell a read that ended early, on a line that is gone, from one that timed out.
    Timeouts = timeouts;
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    // Nonzero on success, which is the result.
    return SetCommTimeouts(AsHandle(Handle), &t) != 0;
}

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    const std::int64_t start = NowMicroseconds();
    DWORD done = 0;
    // Nonzero on success, but only the count matters: a time-out is a success with fewer
    // bytes than asked for, and a failure leaves the count at 0, which reads as silence.
    // On a line that is gone some drivers (and Wine on a hung-up terminal) busy-wait
    // through the whole time-out, so the read is not even tried.
    if (!LineGone) {
        ReadFile(AsHandle(Handle), buffer, count, &done, nullptr);
    }
    if (done < count && Timeouts.ReadIntervalTimeout == 0) {
        // Fewer bytes than asked for come only after the whole time-out, unless the line is
        // gone: a port whose device went away answers every read at once, for ever. The
        // rest of the time-out passes as on a silent line instead of in a busy loop.
        const std::int64_t timeout =
            static_cast<std::int64_t>(Timeouts.ReadTotalTimeoutConstant) +
            static_cast<std::int64_t>(Timeouts.ReadTotalTimeoutMultiplier) * count;
        const std::int64_t left = timeout - (NowMicroseconds() - start) / 1000;
        if (left > 0 && left <= timeout) {
            Sleep(static_cast<DWORD>(left));
        }
    }
    return done;
}

std::uint32_t SerialPort::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    WriteStart = NowMicroseconds();
    DWORD done = 0;
    // Nonzero on success. A timed-out write succeeds with fewer bytes, and the exchange fails
    // at its reply; an outright failure means that the device is gone.
    LineGone = WriteFile(AsHandle(Handle), buffer, count, &done, nullptr) == 0;
    WriteEnd = NowMicroseconds();
    return done;
}

void SerialPort::Purge(std::uint32_t flags) {
    if (!IsOpen()) {
        return;
    }
    // Nonzero on success. A failed purge leaves stale bytes, which the next reply's header or
    // checksum rejects.
    PurgeComm(AsHandle(Handle), flags);
}

std::uint32_t SerialPort::InputWaiting() {
    if (!IsOpen()) {
        return 0;
    }
    DWORD errors = 0;
    COMSTAT status;
    std::memset(&status, 0, sizeof status);
    // Nonzero on success; a failure reads as an empty input.
    if (ClearCommError(AsHandle(Handle), &errors, &status) == 0) {
        return 0;
    }
    return status.cbInQue;
}

std::int64_t SerialPort::MicrosecondsSinceWrite() const {
    const std::int64_t elapsed = NowMicroseconds() - WriteStart;
    return elapsed > 0 ? elapsed : 0;
}

void SerialPort::WaitAfterWrite(std::int64_t microseconds) {
    PerformanceWaitClock clock;
    clock.WaitPassed(WriteEnd, microseconds);
}

bool SerialPort::DevicePath(const char* portName, char* path, std::size_t size) {
    // The Windows device path has a 16-byte buffer of its own, whatever the caller offers.
    if (size > LineSettings::DevicePathSize) {
        size = LineSettings::DevicePathSize;
    }
    int n = std::snprintf(path, size, "\\\\.\\%s", portName);
    return n >= 0 && static_cast<std::size_t>(n) < size;
}
