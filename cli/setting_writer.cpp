#include "cli/setting_writer.h"

#include <cstring>

#include "calibration/coefficient_block_codec.h"
#include "calibration/sensor_settings.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

bool Echoed(bool answered, bool same, const std::string& stored, std::string& problem) {
    if (!answered) {
        problem = "no valid reply";
        return false;
    }
    if (!same) {
        problem = "the transmitter stored " + stored;
        return false;
    }
    return true;
}

bool WriteFloat(Transmitter& link, const char* name, float value, std::string& problem) {
    float echo = value;
    bool answered = false;
    if (std::strcmp(name, "range_min") == 0) {
        answered = link.WriteRangeMin(echo);
    } else if (std::strcmp(name, "range_max") == 0) {
        answered = link.WriteRangeMax(echo);
    } else if (std::strcmp(name, "offset") == 0) {
        answered = link.WriteOffset(echo);
    } else {
        answered = link.WriteSensitivity(echo);
    }
    return Echoed(answered, BitsOf(echo) == BitsOf(value), FloatText(echo), problem);
}

// The damping write's reply is only acknowledged, so the stored value is read back.
bool WriteDamping(Transmitter& link, const char* name, std::uint8_t value, std::string& problem) {
    const bool input = std::strcmp(name, "input_damping") == 0;
    if (!(input ? link.WriteInputDamping(value) : link.WriteTemperatureDamping(value))) {
        problem = "no valid reply";
        return false;
    }
    std::uint8_t stored = 0;
    const bool read = input ? link.ReadInputDamping(stored) : link.ReadTemperatureDamping(stored);
    if (!read) {
        problem = "no valid reply when reading it back";
        return false;
    }
    return Echoed(true, stored == value, std::to_string(stored), problem);
}

bool WriteSensor(Transmitter& link, const SensorList& sensors, const std::string& name,
                 std::string& problem) {
    const TempSensor* sensor = nullptr;
    for (std::int32_t i = 0; i < sensors.GetCount(); ++i) {
        if (name == sensors.ItemAt(i)->Name) {
            sensor = sensors.ItemAt(i);
        }
    }
    if (sensor == nullptr || !WriteSensorSettings(link, SensorSettingsOf(*sensor))) {
        problem = "no valid reply to one of the four sensor writes";
        return false;
    }
    std::uint8_t degree = 0;
    CoefficientBlock block{};
    if (!link.ReadSensorDegree(degree) || !link.ReadSensorCoefficients(block)) {
        problem = "no valid reply when reading the polynomial back";
        return false;
    }
    const TempSensor* stored = FindSensor(sensors, degree, block);
    return Echoed(true, stored == sensor,
                  stored != nullptr ? Quoted(stored->Name) : "an unknown polynomial", problem);
}

}  // namespace

bool WriteSetting(Transmitter& link, const SensorList& sensors, const SettingKey& key,
                  const json& value, std::string& problem) {
    switch (key.Type) {
        case SettingType::ProbeKind: {
            const std::uint8_t kind = value.get<std::uint8_t>();
            std::uint8_t echo = kind;
            return Echoed(link.WriteProbeKind(echo), echo == kind, std::to_string(echo), problem);
        }
        case SettingType::Damping:
            return WriteDamping(link, key.Name, value.get<std::uint8_t>(), problem);
        case SettingType::Number:
            return WriteFloat(link, key.Name, static_cast<float>(value.get<double>()), problem);
        case SettingType::Sensor:
            return WriteSensor(link, sensors, value.get<std::string>(), problem);
        case SettingType::Date: {
            const std::uint32_t date =
                value.is_null() ? 0 : ParseDate(value.get<std::string>()).value_or(0);
            std::uint32_t echo = date;
            const bool answered = link.WriteCalibrationDate(echo);
            return Echoed(answered, echo == date, DateText(echo).value_or("no date"), problem);
        }
    }
    problem = "not a setting";
    return false;
}
