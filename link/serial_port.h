// One serial-port handle with synchronous reads and writes bounded by the port's time-outs.
// The operating-system edge is serial_port_win32.cpp or serial_port_posix.cpp, picked by the
// build; everything above talks to the line only through this class.
#pragma once

#include <cstddef>
#include <cstdint>

#include "objects/base_object.h"

// The port's time-outs in milliseconds, laid out as the system's COMMTIMEOUTS record.
struct SerialTimeouts {
    std::uint32_t ReadIntervalTimeout;
    std::uint32_t ReadTotalTimeoutMultiplier;
    std::uint32_t ReadTotalTimeoutConstant;
    std::uint32_t WriteTotalTimeoutMultiplier;
    std::uint32_t WriteTotalTimeoutConstant;
};

// Purge flags, as PurgeComm takes them.
constexpr std::uint32_t PurgeTxAbort = 0x0001;
constexpr std::uint32_t PurgeRxAbort = 0x0002;
constexpr std::uint32_t PurgeTxClear = 0x0004;
constexpr std::uint32_t PurgeRxClear = 0x0008;

// The DCB's bit-field word, which SetState replaces whole. Every flag the link leaves at 0
// (parity check, flow control, XON/XOFF, error replacement, abort on error) needs no name; the
// two modem-line controls are 2-bit fields whose value 1 is "enable": the line is raised.
namespace DcbFlags {
constexpr std::uint32_t Binary = 1u << 0;  // fBinary
constexpr unsigned DtrControlShift = 4;    // fDtrControl, bits 4 and 5
constexpr unsigned RtsControlShift = 12;   // fRtsControl, bits 12 and 13
constexpr std::uint32_t LineControlMask = 3;
constexpr std::uint32_t LineControlEnable = 1;  // DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE
constexpr std::uint32_t DtrControlEnable = LineControlEnable << DtrControlShift;
constexpr std::uint32_t RtsControlEnable = LineControlEnable << RtsControlShift;

constexpr std::uint32_t DtrControl(std::uint32_t flags) {
    return (flags >> DtrControlShift) & LineControlMask;
}
constexpr std::uint32_t RtsControl(std::uint32_t flags) {
    return (flags >> RtsControlShift) & LineControlMask;
}
}  // namespace DcbFlags

// The fixed line settings with which the transmitter link opens a port: 9600 8N1, binary
// mode, DTR and RTS on, no flow control; a read waits at most 200 ms, a write 100 ms.
namespace LineSettings {
constexpr std::uint32_t Flags =
    DcbFlags::Binary | DcbFlags::DtrControlEnable | DcbFlags::RtsControlEnable;
constexpr std::uint32_t BaudRate = 9600;
constexpr std::uint8_t ByteSize = 8;
constexpr std::uint8_t Parity = 0;
constexpr std::uint8_t StopBits = 0;
constexpr SerialTimeouts Timeouts = {0, 0, 200, 0, 100};
// A device path fits a 16-byte buffer on Windows ("\\.\" and a name of up to 11 characters).
constexpr std::size_t DevicePathSize = 16;
}  // namespace LineSettings

class SerialPort : public BaseObject {
  public:
    SerialPort() = default;
    ~SerialPort() override;

    // Opens the device exclusively. Does not close a port that is open: callers close first.
    bool Open(const char* devicePath);
    void Close();
    // Overwrites baud rate, the whole DCB bit-field word, byte size, parity and stop bits of
    // the port's current state.
    void SetState(std::uint32_t flags, std::uint32_t baudRate, std::uint8_t byteSize,
                  std::uint8_t parity, std::uint8_t stopBits);
    bool SetTimeouts(const SerialTimeouts& timeouts);
    // One read: returns the bytes that arrived before the read time-out, possibly none.
    std::uint32_t Read(void* buffer, std::uint32_t count);
    std::uint32_t Write(const void* buffer, std::uint32_t count);
    void Purge(std::uint32_t flags);
    // How many received bytes wait in the input, unread; 0 on a closed port.
    std::uint32_t InputWaiting();
    // How long ago the last write began, on the platform's clock, read when called. 0 when the
    // clock stepped back since.
    std::int64_t MicrosecondsSinceWrite() const;
    // Lets the line run on until `microseconds` after the last write returned, so that
    // whatever the other end still sends in answer to it has arrived and can be purged. The
    // wait is never shorter, whatever the platform's sleep and clock do.
    void WaitAfterWrite(std::int64_t microseconds);

    bool IsOpen() const { return Handle != InvalidHandle; }

    // The path that opens a port name: "\\.\COM3" on Windows. On POSIX a name with a slash is
    // a path and any other name is under /dev. False when the path does not fit size bytes,
    // and on Windows when it does not fit LineSettings::DevicePathSize bytes either.
    static bool DevicePath(const char* portName, char* path, std::size_t size);
    // A buffer of this size holds every path that DevicePath can give: a POSIX port may be
    // named by a full pseudo-terminal path.
    static constexpr std::size_t PathBufferSize = 256;

  private:
    // INVALID_HANDLE_VALUE on Windows and an invalid descriptor on POSIX share these bits.
    static constexpr std::intptr_t InvalidHandle = -1;

    std::intptr_t Handle = InvalidHandle;
    // The POSIX line discipline has no total time-outs of its own, so that backend keeps
    // them here; the Windows backend keeps a copy to tell a read on a vanished line.
    SerialTimeouts Timeouts = {};
    // The last write failed outright: the device is gone (a pulled adapter, a hung-up
    // line), and a read would only spin until its time-out, or return at once for ever.
    bool LineGone = false;
    // When the last write began and when it returned, in microseconds of the platform's
    // own clock.
    std::int64_t WriteStart = 0;
    std::int64_t WriteEnd = 0;
};
