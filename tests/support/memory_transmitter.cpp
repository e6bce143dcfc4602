#include "tests/support/memory_transmitter.h"

#include <algorithm>

int MemoryTransmitter::CountOf(std::uint8_t command) const {
    return static_cast<int>(std::count(Log.begin(), Log.end(), command));
}

bool MemoryTransmitter::Exchange(std::uint8_t command) {
    Log.push_back(command);
    return FailingCommands.count(command) == 0;
}

template <class T>
bool MemoryTransmitter::Read(std::uint8_t command, const T& stored, T& out) {
    if (!Exchange(command)) {
        return false;
    }
    out = stored;
    return true;
}

bool MemoryTransmitter::WriteFloat(std::uint8_t command, float& stored, float& value) {
    if (!Exchange(command)) {
        return false;
    }
    stored = StoreFloat ? StoreFloat(command, value) : value;
    value = stored;
    return true;
}

bool MemoryTransmitter::Sample(std::uint8_t command, std::deque<std::optional<float>>& script,
                               float steady, float& out) {
    std::optional<float> next = steady;
    if (!script.empty()) {
        next = script.front();
        script.pop_front();
    }
    if (!Exchange(command) || !next) {
        return false;
    }
    out = *next;
    return true;
}

const char* MemoryTransmitter::ReadIdentity() {
    return Exchange(Command::Identity) ? Identity : nullptr;
}

bool MemoryTransmitter::ReadFirmwareVersion(std::uint16_t& version) {
    return Read(Command::FirmwareVersion, FirmwareVersion, version);
}

bool MemoryTransmitter::ReadSerialNumber(std::int32_t& number) {
    return Read(Command::SerialNumber, SerialNumber, number);
}

bool MemoryTransmitter::ReadResistanceSample(float& ohm) {
    return Sample(Command::ResistanceSample, ResistanceScript, SteadyResistance, ohm);
}

bool MemoryTransmitter::ReadVoltageSample(float& millivolt) {
    return Sample(Command::VoltageSample, VoltageScript, SteadyVoltage, millivolt);
}

bool MemoryTransmitter::ReadResistance(float& ohm) {
    return Read(Command::Resistance, Resistance, ohm);
}

bool MemoryTransmitter::ReadTemperature(float& celsius) {
    return Read(Command::Temperature, Temperature, celsius);
}

bool MemoryTransmitter::ReadVoltage(float& millivolt) {
    return Read(Command::Voltage, Voltage, millivolt);
}

bool MemoryTransmitter::ReadMeasuredValue(float& value) {
    return Read(Command::MeasuredValue, MeasuredValue, value);
}

bool MemoryTransmitter::ReadRatio(float& fraction) {
    return Read(Command::Ratio, Ratio, fraction);
}

bool MemoryTransmitter::ReadOutputType(std::uint8_t& type) {
    return Read(Command::OutputType, OutputType, type);
}

bool MemoryTransmitter::ReadProbeKind(std::uint8_t& kind) {
    return Read(Command::ProbeKind, ProbeKind, kind);
}

bool MemoryTransmitter::WriteProbeKind(std::uint8_t& kind) {
    if (!Exchange(Command::ProbeKind)) {
        return false;
    }
    ProbeKind = kind;
    return true;
}

bool MemoryTransmitter::ReadSensorDegree(std::uint8_t& degree) {
    return Read(Command::SensorDegree, SensorDegree, degree);
}

bool MemoryTransmitter::WriteSensorDegree(std::uint8_t degree) {
    if (!Exchange(Command::SensorDegree)) {
        return false;
    }
    SensorDegree = degree;
    return true;
}

bool MemoryTransmitter::ReadSensorCoefficients(CoefficientBlock& block) {
    return Read(Command::SensorCoefficients, SensorCoefficients, block);
}

bool MemoryTransmitter::WriteSensorCoefficients(const CoefficientBlock& block) {
    if (!Exchange(Command::SensorCoefficients)) {
        return false;
    }
    SensorCoefficients = block;
    return true;
}

bool MemoryTransmitter::WriteSensorLowResistance(float ohm) {
    return WriteFloat(Command::SensorLowResistance, SensorLowResistance, ohm);
}

bool MemoryTransmitter::WriteSensorHighResistance(float ohm) {
    return WriteFloat(Command::SensorHighResistance, SensorHighResistance, ohm);
}

bool MemoryTransmitter::ReadRangeMin(float& value) {
    return Read(Command::RangeMin, RangeMin, value);
}

bool MemoryTransmitter::WriteRangeMin(float& value) {
    return WriteFloat(Command::RangeMin, RangeMin, value);
}

bool MemoryTransmitter::ReadRangeMax(float& value) {
    return Read(Command::RangeMax, RangeMax, value);
}

bool MemoryTransmitter::WriteRangeMax(float& value) {
    return WriteFloat(Command::RangeMax, RangeMax, value);
}

bool MemoryTransmitter::ReadOffset(float& millivolt) {
    return Read(Command::Offset, Offset, millivolt);
}

bool MemoryTransmitter::WriteOffset(float& millivolt) {
    return WriteFloat(Command::Offset, Offset, millivolt);
}

bool MemoryTransmitter::ReadSensitivity(float& slope) {
    return Read(Command::Sensitivity, Sensitivity, slope);
}

bool MemoryTransmitter::WriteSensitivity(float& slope) {
    return WriteFloat(Command::Sensitivity, Sensitivity, slope);
}

bool MemoryTransmitter::ReadCalibrationDate(std::uint32_t& date) {
    return Read(Command::CalibrationDate, CalibrationDate, date);
}

bool MemoryTransmitter::WriteCalibrationDate(std::uint32_t& date) {
    if (!Exchange(Command::CalibrationDate)) {
        return false;
    }
    CalibrationDate = date;
    return true;
}

bool MemoryTransmitter::ReadTemperatureDamping(std::uint8_t& damping) {
    return Read(Command::TemperatureDamping, TemperatureDamping, damping);
}

bool MemoryTransmitter::WriteTemperatureDamping(std::uint8_t damping) {
    if (!Exchange(Command::TemperatureDamping)) {
        return false;
    }
    TemperatureDamping = damping;
    return true;
}

bool MemoryTransmitter::ReadInputDamping(std::uint8_t& damping) {
    return Read(Command::InputDamping, InputDamping, damping);
}

bool MemoryTransmitter::WriteInputDamping(std::uint8_t damping) {
    if (!Exchange(Command::InputDamping)) {
        return false;
    }
    InputDamping = damping;
    return true;
}
