// The QX7 transmitter's command set: one accessor per command code, each one request and
// one reply. TransmitterLink speaks it over the serial line; tests put an in-memory
// transmitter in its place. Every accessor returns success and shows nothing; a read writes
// its out-parameter only on success; a write that takes its value in and out leaves the
// transmitter's reply in the caller's variable.
#pragma once

#include <cstdint>

#include "link/wire_value.h"
#include "objects/base_object.h"

// The 20-byte block of five little-endian binary32 coefficients c0..c4 (command 53).
struct CoefficientBlock {
    std::uint8_t Bytes[20];
};

// A float reading whose four bytes are all 0xFF: the transmitter has no valid value.
inline bool IsFaultPattern(float value) {
    return BitsOf(value) == 0xFFFFFFFFu;
}

namespace Command {
constexpr std::uint8_t Identity = 33;
constexpr std::uint8_t FirmwareVersion = 34;
constexpr std::uint8_t SerialNumber = 35;
constexpr std::uint8_t ResistanceSample = 36;
constexpr std::uint8_t VoltageSample = 37;
constexpr std::uint8_t Resistance = 38;
constexpr std::uint8_t Temperature = 39;
constexpr std::uint8_t Voltage = 40;
constexpr std::uint8_t MeasuredValue = 41;
constexpr std::uint8_t Ratio = 42;
constexpr std::uint8_t OutputType = 50;
constexpr std::uint8_t ProbeKind = 51;
constexpr std::uint8_t SensorDegree = 52;
constexpr std::uint8_t SensorCoefficients = 53;
constexpr std::uint8_t SensorLowResistance = 54;
constexpr std::uint8_t SensorHighResistance = 55;
constexpr std::uint8_t RangeMin = 56;
constexpr std::uint8_t RangeMax = 57;
constexpr std::uint8_t Offset = 58;
constexpr std::uint8_t Sensitivity = 59;
constexpr std::uint8_t CalibrationDate = 60;
constexpr std::uint8_t TemperatureDamping = 61;
constexpr std::uint8_t InputDamping = 62;
}  // namespace Command

class Transmitter : public BaseObject {
  public:
    // 33: the identity text (at most 8 characters, NUL-terminated), or none.
    virtual const char* ReadIdentity() = 0;
    // 34: high byte major, low byte minor.
    virtual bool ReadFirmwareVersion(std::uint16_t& version) = 0;
    // 35
    virtual bool ReadSerialNumber(std::int32_t& number) = 0;
    // 36, 37: the samples of a probe calibration, ohm and mV.
    virtual bool ReadResistanceSample(float& ohm) = 0;
    virtual bool ReadVoltageSample(float& millivolt) = 0;
    // 38 to 42: the live values.
    virtual bool ReadResistance(float& ohm) = 0;
    virtual bool ReadTemperature(float& celsius) = 0;
    virtual bool ReadVoltage(float& millivolt) = 0;
    virtual bool ReadMeasuredValue(float& value) = 0;
    virtual bool ReadRatio(float& fraction) = 0;
    // 50
    virtual bool ReadOutputType(std::uint8_t& type) = 0;
    // 51
    virtual bool ReadProbeKind(std::uint8_t& kind) = 0;
    virtual bool WriteProbeKind(std::uint8_t& kind) = 0;
    // 52, 53: the resistance-to-temperature polynomial.
    virtual bool ReadSensorDegree(std::uint8_t& degree) = 0;
    virtual bool WriteSensorDegree(std::uint8_t degree) = 0;
    virtual bool ReadSensorCoefficients(CoefficientBlock& block) = 0;
    virtual bool WriteSensorCoefficients(const CoefficientBlock& block) = 0;
    // 54, 55: the sensor's resistance at -20 and 100 degrees Celsius.
    virtual bool WriteSensorLowResistance(float ohm) = 0;
    virtual bool WriteSensorHighResistance(float ohm) = 0;
    // 56, 57: the measuring range.
    virtual bool ReadRangeMin(float& value) = 0;
    virtual bool WriteRangeMin(float& value) = 0;
    virtual bool ReadRangeMax(float& value) = 0;
    virtual bool WriteRangeMax(float& value) = 0;
    // 58, 59: probe offset (mV) and sensitivity (mV per pH or per decade).
    virtual bool ReadOffset(float& millivolt) = 0;
    virtual bool WriteOffset(float& millivolt) = 0;
    virtual bool ReadSensitivity(float& slope) = 0;
    virtual bool WriteSensitivity(float& slope) = 0;
    // 60: packed-decimal date; as a little-endian word 0xYYYYMMDD.
    virtual bool ReadCalibrationDate(std::uint32_t& date) = 0;
    virtual bool WriteCalibrationDate(std::uint32_t& date) = 0;
    // 61, 62: damping, 0 to 30.
    virtual bool ReadTemperatureDamping(std::uint8_t& damping) = 0;
    virtual bool WriteTemperatureDamping(std::uint8_t damping) = 0;
    virtual bool ReadInputDamping(std::uint8_t& damping) = 0;
    virtual bool WriteInputDamping(std::uint8_t damping) = 0;
};
