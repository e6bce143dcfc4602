// The frame protocol and the command set over the serial port.
#include "link/transmitter_link.h"

#include <cstring>

#include "link/wire_value.h"

namespace {

// Purge sets: everything before closing; just the buffers after a corrupt reply.
constexpr std::uint32_t PurgeAll = PurgeTxAbort | PurgeRxAbort | PurgeTxClear | PurgeRxClear;
constexpr std::uint32_t PurgeBuffers = PurgeTxClear | PurgeRxClear;

}  // namespace

TransmitterLink::TransmitterLink() : Port(new SerialPort) {}

TransmitterLink::~TransmitterLink() {
    Close();
    Port->Free();
}

bool TransmitterLink::Open(const char* portName) {
    if (portName == nullptr || portName[0] == '\0') {
        return false;
    }
    Close();
    char path[SerialPort::PathBufferSize];
    // A name too long for the path buffer is refused rather than opened truncated.
    if (!SerialPort::DevicePath(portName, path, sizeof path)) {
        return false;
    }
    if (!Port->Open(path)) {
        return false;
    }
    Port->SetState(LineSettings::Flags, LineSettings::BaudRate, LineSettings::ByteSize,
                   LineSettings::Parity, LineSettings::StopBits);
    Port->SetTimeouts(LineSettings::Timeouts);
    return true;
}

void TransmitterLink::Close() {
    Port->Purge(PurgeAll);
    Port->Close();
}

void TransmitterLink::SendFrame(std::uint8_t command, std::uint8_t length) {
    // A longer request would not fit the frame; sending nothing makes its exchange fail.
    if (length > MaxRequestData) {
        return;
    }
    Frame[0] = RequestStart;
    Frame[1] = command;
    Frame[2] = length;
    unsigned sum = 0;
    for (unsigned i = 0; i < 3u + length; ++i) {
        sum += Frame[i];
    }
    Frame[3 + length] = static_cast<std::uint8_t>(256 - sum % 256);
    ClearLine();
    RequestBytes = 4u + length;
    Port->Write(Frame, RequestBytes);
}

void TransmitterLink::ClearLine() {
    // A closed port hears nothing; the window still applies should it open again in time.
    if (!Port->IsOpen()) {
        return;
    }
    if (ReplyOutstanding) {
        // The failed request reached the transmitter at the latest one wire time after its
        // write returned; its reply may then start within the bound and take a whole
        // frame's time. Bytes that arrive during the wait are discarded with the rest.
        const std::int64_t maxFrameBytes = 3 + MaxReplyData;
        Port->WaitAfterWrite(static_cast<std::int64_t>(RequestBytes) * ByteMicroseconds +
                             LateReplyMicroseconds + maxFrameBytes * ByteMicroseconds +
                             AdapterLatencyMicroseconds);
        ReplyOutstanding = false;
    }
    Port->Purge(PurgeRxClear);
}

// Reads until want bytes arrived or a read brings none; returns how many are still missing.
std::uint32_t TransmitterLink::ReceiveBytes(std::uint8_t* position, std::uint32_t want) {
    while (want > 0) {
        std::uint32_t k = Port->Read(position, want);
        if (k == 0) {
            break;
        }
        position += k;
        want -= k;
    }
    return want;
}

bool TransmitterLink::ReceiveFrame(std::uint8_t expected) {
    const bool received = ReceiveReply(expected);
    // After any failure the reply, or the rest of it, or another frame may still come.
    ReplyOutstanding = !received && Port->IsOpen();
    return received;
}

bool TransmitterLink::CameInTime(std::uint32_t received, std::uint32_t& waiting) {
    // The count first, then the clock: the time read is no earlier than the count.
    waiting = Port->InputWaiting();
    const std::int64_t present = static_cast<std::int64_t>(received) + waiting;
    const std::int64_t elapsed = Port->MicrosecondsSinceWrite();
    // The request's own bytes cross first; a reply's k-th byte has crossed k byte times later.
    const std::int64_t possible = elapsed / FastestByteMicroseconds - RequestBytes;
    return present <= possible;
}

bool TransmitterLink::ReceiveReply(std::uint8_t expected) {
    std::uint32_t received = 2 - ReceiveBytes(Frame, 2);
    if (received < 2) {
        return false;
    }
    // A header that was there before the transmitter could have sent it is a stray frame's,
    // or the end of one: a copy of the last reply, or a reply later than the bound.
    std::uint32_t waiting = 0;
    if (!CameInTime(received, waiting)) {
        return false;
    }
    bool whole = false;
    if (Frame[0] == ReplyStart && Frame[1] <= MaxReplyData) {
        std::uint32_t want = Frame[1] + 1u;
        std::uint32_t missing = ReceiveBytes(Frame + 2, want);
        if (missing > 0) {
            return false;
        }
        received += want;
        whole = true;
    }
    unsigned sum = 0;
    for (std::uint32_t i = 0; i < received; ++i) {
        sum += Frame[i];
    }
    if (sum % 256 != 0) {
        // Whatever is left of a corrupt reply must not be taken as the next one.
        Port->Purge(PurgeBuffers);
        return false;
    }
    // A header announcing more than a frame holds is never a reply, even when the caller
    // expects that length and the two header bytes happen to sum to zero.
    if (!whole || Frame[1] != expected) {
        return false;
    }
    // The transmitter answers once. Anything after a whole reply means that this frame, or
    // the one behind it, answers another request: a copy, or this request's own reply behind
    // a stray frame.
    return CameInTime(received, waiting) && waiting == 0;
}

bool TransmitterLink::ReadByte(std::uint8_t command, std::uint8_t& value) {
    SendFrame(command, 0);
    if (!ReceiveFrame(1)) {
        return false;
    }
    value = Frame[2];
    return true;
}

bool TransmitterLink::WriteByte(std::uint8_t command, std::uint8_t& value) {
    Frame[3] = value;
    SendFrame(command, 1);
    if (!ReceiveFrame(1)) {
        return false;
    }
    value = Frame[2];
    return true;
}

bool TransmitterLink::ReadWord(std::uint8_t command, std::uint16_t& value) {
    SendFrame(command, 0);
    if (!ReceiveFrame(2)) {
        return false;
    }
    value = static_cast<std::uint16_t>(Frame[2] | Frame[3] << 8);
    return true;
}

bool TransmitterLink::ReadValue(std::uint8_t command, std::uint32_t& value) {
    SendFrame(command, 0);
    if (!ReceiveFrame(4)) {
        return false;
    }
    value = GetLittleEndian32(Frame + 2);
    return true;
}

bool TransmitterLink::ReadValue(std::uint8_t command, std::int32_t& value) {
    std::uint32_t bits = 0;
    if (!ReadValue(command, bits)) {
        return false;
    }
    value = static_cast<std::int32_t>(bits);
    return true;
}

bool TransmitterLink::ReadValue(std::uint8_t command, float& value) {
    std::uint32_t bits = 0;
    if (!ReadValue(command, bits)) {
        return false;
    }
    value = FloatOf(bits);
    return true;
}

bool TransmitterLink::WriteValue(std::uint8_t command, std::uint32_t& value) {
    PutLittleEndian32(Frame + 3, value);
    SendFrame(command, 4);
    if (!ReceiveFrame(4)) {
        return false;
    }
    value = GetLittleEndian32(Frame + 2);
    return true;
}

bool TransmitterLink::WriteValue(std::uint8_t command, float& value) {
    std::uint32_t bits = BitsOf(value);
    if (!WriteValue(command, bits)) {
        return false;
    }
    value = FloatOf(bits);
    return true;
}

bool TransmitterLink::ReadBlock(CoefficientBlock& block) {
    SendFrame(Command::SensorCoefficients, 0);
    if (!ReceiveFrame(sizeof block.Bytes)) {
        return false;
    }
    std::memcpy(block.Bytes, Frame + 2, sizeof block.Bytes);
    return true;
}

bool TransmitterLink::WriteBlock(const CoefficientBlock& block) {
    std::memcpy(Frame + 3, block.Bytes, sizeof block.Bytes);
    SendFrame(Command::SensorCoefficients, sizeof block.Bytes);
    return ReceiveFrame(sizeof block.Bytes);
}

const char* TransmitterLink::ReadIdentity() {
    SendFrame(Command::Identity, 0);
    if (!ReceiveFrame(8)) {
        return nullptr;
    }
    std::memcpy(Identity, Frame + 2, 8);
    return Identity;
}

bool TransmitterLink::ReadFirmwareVersion(std::uint16_t& version) {
    bool ok = ReadWord(Command::FirmwareVersion, FirmwareVersion);
    version = FirmwareVersion;
    return ok;
}

// clang-format off
bool TransmitterLink::ReadSerialNumber(std::int32_t& number) { return ReadValue(Command::SerialNumber, number); }
bool TransmitterLink::ReadResistanceSample(float& ohm) { return ReadValue(Command::ResistanceSample, ohm); }
bool TransmitterLink::ReadVoltageSample(float& millivolt) { return ReadValue(Command::VoltageSample, millivolt); }
bool TransmitterLink::ReadResistance(float& ohm) { return ReadValue(Command::Resistance, ohm); }
bool TransmitterLink::ReadTemperature(float& celsius) { return ReadValue(Command::Temperature, celsius); }
bool TransmitterLink::ReadVoltage(float& millivolt) { return ReadValue(Command::Voltage, millivolt); }
bool TransmitterLink::ReadMeasuredValue(float& value) { return ReadValue(Command::MeasuredValue, value); }
bool TransmitterLink::ReadRatio(float& fraction) { return ReadValue(Command::Ratio, fraction); }
bool TransmitterLink::ReadOutputType(std::uint8_t& type) { return ReadByte(Command::OutputType, type); }
bool TransmitterLink::ReadProbeKind(std::uint8_t& kind) { return ReadByte(Command::ProbeKind, kind); }
bool TransmitterLink::WriteProbeKind(std::uint8_t& kind) { return WriteByte(Command::ProbeKind, kind); }
bool TransmitterLink::ReadSensorDegree(std::uint8_t& degree) { return ReadByte(Command::SensorDegree, degree); }
bool TransmitterLink::WriteSensorDegree(std::uint8_t degree) { return WriteByte(Command::SensorDegree, degree); }
bool TransmitterLink::ReadSensorCoefficients(CoefficientBlock& block) { return ReadBlock(block); }
bool TransmitterLink::WriteSensorCoefficients(const CoefficientBlock& block) { return WriteBlock(block); }
bool TransmitterLink::WriteSensorLowResistance(float ohm) { return WriteValue(Command::SensorLowResistance, ohm); }
bool TransmitterLink::WriteSensorHighResistance(float ohm) { return WriteValue(Command::SensorHighResistance, ohm); }
bool TransmitterLink::ReadRangeMin(float& value) { return ReadValue(Command::RangeMin, value); }
bool TransmitterLink::WriteRangeMin(float& value) { return WriteValue(Command::RangeMin, value); }
bool TransmitterLink::ReadRangeMax(float& value) { return ReadValue(Command::RangeMax, value); }
bool TransmitterLink::WriteRangeMax(float& value) { return WriteValue(Command::RangeMax, value); }
bool TransmitterLink::ReadOffset(float& millivolt) { return ReadValue(Command::Offset, millivolt); }
bool TransmitterLink::WriteOffset(float& millivolt) { return WriteValue(Command::Offset, millivolt); }
bool TransmitterLink::ReadSensitivity(float& slope) { return ReadValue(Command::Sensitivity, slope); }
bool TransmitterLink::WriteSensitivity(float& slope) { return WriteValue(Command::Sensitivity, slope); }
bool TransmitterLink::ReadCalibrationDate(std::uint32_t& date) { return ReadValue(Command::CalibrationDate, date); }
bool TransmitterLink::WriteCalibrationDate(std::uint32_t& date) { return WriteValue(Command::CalibrationDate, date); }
bool TransmitterLink::ReadTemperatureDamping(std::uint8_t& damping) { return ReadByte(Command::TemperatureDamping, damping); }
bool TransmitterLink::WriteTemperatureDamping(std::uint8_t damping) { return WriteByte(Command::TemperatureDamping, damping); }
bool TransmitterLink::ReadInputDamping(std::uint8_t& damping) { return ReadByte(Command::InputDamping, damping); }
bool TransmitterLink::WriteInputDamping(std::uint8_t damping) { return WriteByte(Command::InputDamping, damping); }
// clang-format on
