// A SerialPort whose line is the fuzzer's input, read in chunks the input itself chooses.
#include <cstdio>
#include <cstdlib>

#include "link/serial_port.h"
#include "tests/fuzz/memory_line.h"

MemoryLine Line;

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const char*) {
    Handle = 1;
    return true;
}

void SerialPort::Close() {
    Handle = InvalidHandle;
}

void SerialPort::SetState(std::uint32_t, std::uint32_t, std::uint8_t, std::uint8_t, std::uint8_t) {}

bool SerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    Timeouts = timeouts;
    return IsOpen();
}

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    if (bytes < Line.Begin || bytes + count > Line.End) {
        std::fprintf(stderr, "read of %u bytes outside the frame buffer\n", count);
        std::abort();
    }
    if (!IsOpen() || Line.Position >= Line.Size) {
        return 0;
    }
    std::uint32_t chunk = Line.Input[Line.Position++] % (count + 1);
    std::uint32_t n = 0;
    while (n < chunk && Line.Position < Line.Size) {
        bytes[n] = Line.Input[Line.Position++];
        Line.Delivered.push_back(bytes[n]);
        ++n;
    }
    return n;
}

std::uint32_t SerialPort::Write(const void*, std::uint32_t count) {
    Line.Delivered.clear();
    // The fuzzer's line has no time and never goes away.
    WriteStart = 0;
    WriteEnd = 0;
    LineGone = false;
    return IsOpen() ? count : 0;
}

void SerialPort::Purge(std::uint32_t) {
    ++Line.Purges;
}

// The fuzzer's line has no time: every byte comes as late as the wire allows, none waits
// unread, and nothing is still on its way.
std::uint32_t SerialPort::InputWaiting() {
    return 0;
}

std::int64_t SerialPort::MicrosecondsSinceWrite() const {
    return 1000000000;
}

void SerialPort::WaitAfterWrite(std::int64_t) {}

bool SerialPort::DevicePath(const char* portName, char* path, std::size_t size) {
    int n = std::snprintf(path, size, "%s", portName);
    return n >= 0 && static_cast<std::size_t>(n) < size;
}
