// The transmitter over the serial line: frame protocol, typed exchanges and command set.
#pragma once

#include <cstdint>

#include "link/serial_port.h"
#include "link/transmitter.h"

class TransmitterLink : public Transmitter {
  public:
    // Start byte of a request and of a reply.
    static constexpr std::uint8_t RequestStart = 0x01;
    static constexpr std::uint8_t ReplyStart = 0x06;
    // A reply of 61 data bytes with its header and checksum fills the frame buffer.
    static constexpr std::uint8_t MaxReplyData = 61;
    static constexpr std::uint8_t MaxRequestData = 60;

    TransmitterLink();
    ~TransmitterLink() override;

    // Opens a port by name (COM3; natively also a device path). An empty name changes
    // nothing; any other name closes the open port first.
    bool Open(const char* portName);
    void Close();
    bool IsOpen() const { return Port->IsOpen(); }

    // A reply's first byte may leave the transmitter this long after the last byte of its
    // request reached it, time-out or not. Replies carry no command code, so one that comes
    // later than the time-out must never meet the next request.
    static constexpr std::int64_t LateReplyMicroseconds = 500000;
    // One byte of ten bits at 9600 baud takes 1042 us on the wire. Bytes are counted against
    // a slightly faster line, so that neither clock rounding nor a transmitter's baud-rate
    // error makes a reply look as if it came before it could have.
    static constexpr std::int64_t ByteMicroseconds = 1042;
    static constexpr std::int64_t FastestByteMicroseconds = 1000;
    // A serial adapter may hand received bytes over this much later than they arrived.
    static constexpr std::int64_t AdapterLatencyMicroseconds = 20000;

    // The frame protocol: the request's data are already at Frame[3]. Whatever is waiting in
    // the input is discarded first, and after a failed exchange the request waits until
    // that exchange's late reply, of any length, can no longer come.
    void SendFrame(std::uint8_t command, std::uint8_t length);
    // True when a well-formed reply with exactly `expected` data bytes arrived, no sooner
    // than the wire allows after its request, and nothing came after it; they are then at
    // Frame[2].
    bool ReceiveFrame(std::uint8_t expected);

    // Typed exchanges; multi-byte values are little-endian on the wire.
    bool ReadByte(std::uint8_t command, std::uint8_t& value);
    bool WriteByte(std::uint8_t command, std::uint8_t& value);
    bool ReadWord(std::uint8_t command, std::uint16_t& value);
    bool ReadValue(std::uint8_t command, std::uint32_t& value);
    bool ReadValue(std::uint8_t command, std::int32_t& value);
    bool ReadValue(std::uint8_t command, float& value);
    bool WriteValue(std::uint8_t command, std::uint32_t& value);
    bool WriteValue(std::uint8_t command, float& value);
    bool ReadBlock(CoefficientBlock& block);
    bool WriteBlock(const CoefficientBlock& block);

    // The command set.
    const char* ReadIdentity() override;
    // Copies the last version read even when this read fails.
    bool ReadFirmwareVersion(std::uint16_t& version) override;
    bool ReadSerialNumber(std::int32_t& number) override;
    bool ReadResistanceSample(float& ohm) override;
    bool ReadVoltageSample(float& millivolt) override;
    bool ReadResistance(float& ohm) override;
    bool ReadTemperature(float& celsius) override;
    bool ReadVoltage(float& millivolt) override;
    bool ReadMeasuredValue(float& value) override;
    bool ReadRatio(float& fraction) override;
    bool ReadOutputType(std::uint8_t& type) override;
    bool ReadProbeKind(std::uint8_t& kind) override;
    bool WriteProbeKind(std::uint8_t& kind) override;
    bool ReadSensorDegree(std::uint8_t& degree) override;
    bool WriteSensorDegree(std::uint8_t degree) override;
    bool ReadSensorCoefficients(CoefficientBlock& block) override;
    bool WriteSensorCoefficients(const CoefficientBlock& block) override;
    bool WriteSensorLowResistance(float ohm) override;
    bool WriteSensorHighResistance(float ohm) override;
    bool ReadRangeMin(float& value) override;
    bool WriteRangeMin(float& value) override;
    bool ReadRangeMax(float& value) override;
    bool WriteRangeMax(float& value) override;
    bool ReadOffset(float& millivolt) override;
    bool WriteOffset(float& millivolt) override;
    bool ReadSensitivity(float& slope) override;
    bool WriteSensitivity(float& slope) override;
    bool ReadCalibrationDate(std::uint32_t& date) override;
    bool WriteCalibrationDate(std::uint32_t& date) override;
    bool ReadTemperatureDamping(std::uint8_t& damping) override;
    bool WriteTemperatureDamping(std::uint8_t damping) override;
    bool ReadInputDamping(std::uint8_t& damping) override;
    bool WriteInputDamping(std::uint8_t damping) override;

    // The last reply (or the request not yet answered) as it sits in the buffer.
    const std::uint8_t* FrameBytes() const { return Frame; }

  private:
    std::uint32_t ReceiveBytes(std::uint8_t* position, std::uint32_t want);
    bool ReceiveReply(std::uint8_t expected);
    // Whether `received` bytes read, and the `waiting` ones still unread, could all have
    // crossed the wire since the request did. More came earlier than the transmitter could
    // have answered: at least some of them are not the reply to this request.
    bool CameInTime(std::uint32_t received, std::uint32_t& waiting);
    // Waits out the late-reply window of a failed exchange and empties the input.
    void ClearLine();

    std::uint8_t Frame[64] = {};
    // Eight data bytes of the last identity reply; the rest stays zero as the terminator.
    char Identity[16] = {};
    SerialPort* Port = nullptr;
    std::uint16_t FirmwareVersion = 0;
    // Whether the reply to the last request may still be on its way.
    bool ReplyOutstanding = false;
    // The length of the last request on the wire.
    std::uint32_t RequestBytes = 0;
};
