// An in-memory transmitter for tests: settings, scripted samples, chosen failures, a command log.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "link/transmitter.h"

class MemoryTransmitter : public Transmitter {
  public:
    // Settings, as a transmitter stores them.
    const char* Identity = "QX7";
    std::uint16_t FirmwareVersion = 0x0103;
    std::int32_t SerialNumber = 0;
    std::uint8_t OutputType = 0;
    std::uint8_t ProbeKind = 0;
    std::uint8_t SensorDegree = 0;
    CoefficientBlock SensorCoefficients{};
    float SensorLowResistance = 0.0f;
    float SensorHighResistance = 0.0f;
    float RangeMin = 0.0f;
    float RangeMax = 0.0f;
    float Offset = 0.0f;
    float Sensitivity = 0.0f;
    std::uint32_t CalibrationDate = 0;
    std::uint8_t TemperatureDamping = 0;
    std::uint8_t InputDamping = 0;

    // Live values (commands 38 to 42).
    float Resistance = 0.0f;
    float Temperature = 0.0f;
    float Voltage = 0.0f;
    float MeasuredValue = 0.0f;
    float Ratio = 0.0f;

    // Calibration samples (36, 37): each read takes the front of its script; an empty
    // entry is a failed exchange. With the script used up, the steady value is served.
    std::deque<std::optional<float>> ResistanceScript;
    std::deque<std::optional<float>> VoltageScript;
    float SteadyResistance = 100.0f;
    float SteadyVoltage = 0.0f;

    // Commands whose every exchange fails.
    std::set<std::uint8_t> FailingCommands;

    // A transmitter may store something else than it was sent (clamped, rounded); the reply
    // carries what it stored. Identity unless a test says otherwise.
    std::function<float(std::uint8_t command, float sent)> StoreFloat;

    // Every command asked for, failed ones included, in order.
    std::vector<std::uint8_t> Log;
    int CountOf(std::uint8_t command) const;

    const char* ReadIdentity() override;
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

  private:
    // Logs the command and says whether its exchange goes through.
    bool Exchange(std::uint8_t command);
    template <class T>
    bool Read(std::uint8_t command, const T& stored, T& out);
    bool WriteFloat(std::uint8_t command, float& stored, float& value);
    bool Sample(std::uint8_t command, std::deque<std::optional<float>>& script, float steady,
                float& out);
};
