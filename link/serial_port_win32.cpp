// The serial port on the Win32 API: synchronous handle I/O, no overlapped operations.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "link/serial_port.h"

namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const char* devicePath) {
    HANDLE handle = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    // INVALID_HANDLE_VALUE means failure; it is stored all the same, which is the closed state.
    Handle = reinterpret_cast<std::intptr_t>(handle);
    return handle != INVALID_HANDLE_VALUE;
}

void SerialPort::Close() {
    if (!IsOpen()) {
        return;
    }
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
    GetCommState(AsHandle(Handle), &dcb);
    dcb.BaudRate = baudRate;
    // The flags are one 32-bit word after BaudRate; it is replaced whole, not flag by flag.
    std::memcpy(reinterpret_cast<char*>(&dcb) + offsetof(DCB, BaudRate) + sizeof dcb.BaudRate,
                &flags, sizeof flags);
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    SetCommState(AsHandle(Handle), &dcb);
}

bool SerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (!IsOpen()) {
        return false;
    }
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    // Nonzero means success.
    return SetCommTimeouts(AsHandle(Handle), &t) != 0;
}

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    DWORD done = 0;
    // Only the count matters: a time-out is a success with fewer bytes than asked for.
    ReadFile(AsHandle(Handle), buffer, count, &done, nullptr);
    return done;
}

std::uint32_t SerialPort::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen()) {
        return 0;
    }
    DWORD done = 0;
    WriteFile(AsHandle(Handle), buffer, count, &done, nullptr);
    return done;
}

void SerialPort::Purge(std::uint32_t flags) {
    if (!IsOpen()) {
        return;
    }
    PurgeComm(AsHandle(Handle), flags);
}

void SerialPort::WaitUntil(std::chrono::steady_clock::time_point moment) {
    std::this_thread::sleep_until(moment);
}

bool SerialPort::DevicePath(const char* portName, char* path, std::size_t size) {
    int n = std::snprintf(path, size, "\\\\.\\%s", portName);
    return n >= 0 && static_cast<std::size_t>(n) < size;
}
