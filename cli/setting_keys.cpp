#include "cli/setting_keys.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "calibration/coefficient_block_codec.h"
#include "calibration/sensor_settings.h"
#include "cli/command_failure.h"
#include "cli/value_text.h"
#include "link/wire_value.h"

using nlohmann::json;

namespace {

// JSON has no NaN or infinity: a float that is not a number (the fault pattern among them)
// is null, which no check accepts.
json FloatJson(float value) {
    return std::isfinite(value) ? json(ShortestDouble(value)) : json(nullptr);
}

json DateJson(std::uint32_t word) {
    const std::optional<std::string> text = DateText(word);
    return text ? json(*text) : json(nullptr);
}

template <bool (Transmitter::*Read)(float&)>
bool ReadFloat(Transmitter& link, const SensorList&, json& stored) {
    float value = 0.0f;
    if (!(link.*Read)(value)) {
        return false;
    }
    stored = FloatJson(value);
    return true;
}

template <bool (Transmitter::*Write)(float&)>
bool WriteFloat(Transmitter& link, const SensorList&, const json& value,
                std::optional<json>& echo) {
    float sent = static_cast<float>(value.get<double>());
    if (!(link.*Write)(sent)) {
        return false;
    }
    echo = FloatJson(sent);
    return true;
}

template <bool (Transmitter::*Read)(std::uint8_t&)>
bool ReadByte(Transmitter& link, const SensorList&, json& stored) {
    std::uint8_t value = 0;
    if (!(link.*Read)(value)) {
        return false;
    }
    stored = value;
    return true;
}

// The damping writes are only acknowledged: the stored value takes a read-back.
template <bool (Transmitter::*Write)(std::uint8_t)>
bool WriteDamping(Transmitter& link, const SensorList&, const json& value, std::optional<json>&) {
    return (link.*Write)(value.get<std::uint8_t>());
}

bool WriteProbeKind(Transmitter& link, const SensorList&, const json& value,
                    std::optional<json>& echo) {
    std::uint8_t kind = value.get<std::uint8_t>();
    if (!link.WriteProbeKind(kind)) {
        return false;
    }
    echo = kind;
    return true;
}

bool ReadDate(Transmitter& link, const SensorList&, json& stored) {
    std::uint32_t word = 0;
    if (!link.ReadCalibrationDate(word)) {
        return false;
    }
    stored = DateJson(word);
    return true;
}

bool WriteDate(Transmitter& link, const SensorList&, const json& value, std::optional<json>& echo) {
    std::uint32_t word = value.is_null() ? 0 : ParseDate(value.get<std::string>()).value_or(0);
    if (!link.WriteCalibrationDate(word)) {
        return false;
    }
    echo = DateJson(word);
    return true;
}

bool ReadSensor(Transmitter& link, const SensorList& sensors, json& stored) {
    std::uint8_t degree = 0;
    CoefficientBlock block{};
    if (!link.ReadSensorDegree(degree) || !link.ReadSensorCoefficients(block)) {
        return false;
    }
    const TempSensor* sensor = FindSensor(sensors, degree, block);
    stored = sensor != nullptr ? sensor->Name : UnknownSensor;
    return true;
}

// Four writes whose replies are only acknowledged; "unknown" is never passed here.
bool WriteSensor(Transmitter& link, const SensorList& sensors, const json& value,
                 std::optional<json>&) {
    const std::string name = value.get<std::string>();
    for (std::int32_t i = 0; i < sensors.GetCount(); ++i) {
        if (name == sensors.ItemAt(i)->Name) {
            return WriteSensorSettings(link, SensorSettingsOf(*sensors.ItemAt(i)));
        }
    }
    return false;
}

std::uint32_t NoWire(const TransmitterSettings&) {
    return 0;
}

}  // namespace

const SettingKey SettingKeys[SettingKeyCount] = {
    {"probe_kind", SettingType::ProbeKind, false,
     [](const TransmitterSettings& s) { return json(s.ProbeKind); },
     [](const TransmitterSettings& s) { return std::uint32_t{s.ProbeKind}; }, 1,
     &ReadByte<&Transmitter::ReadProbeKind>, &WriteProbeKind},
    {"sensor", SettingType::Sensor, false,
     [](const TransmitterSettings& s) { return json(s.Sensor); }, &NoWire, 0, &ReadSensor,
     &WriteSensor},
    {"input_damping", SettingType::Damping, false,
     [](const TransmitterSettings& s) { return json(s.InputDamping); },
     [](const TransmitterSettings& s) { return std::uint32_t{s.InputDamping}; }, 1,
     &ReadByte<&Transmitter::ReadInputDamping>, &WriteDamping<&Transmitter::WriteInputDamping>},
    {"temperature_damping", SettingType::Damping, false,
     [](const TransmitterSettings& s) { return json(s.TemperatureDamping); },
     [](const TransmitterSettings& s) { return std::uint32_t{s.TemperatureDamping}; }, 1,
     &ReadByte<&Transmitter::ReadTemperatureDamping>,
     &WriteDamping<&Transmitter::WriteTemperatureDamping>},
    {"range_min", SettingType::Number, false,
     [](const TransmitterSettings& s) { return FloatJson(s.RangeMin); },
     [](const TransmitterSettings& s) { return BitsOf(s.RangeMin); }, 4,
     &ReadFloat<&Transmitter::ReadRangeMin>, &WriteFloat<&Transmitter::WriteRangeMin>},
    {"range_max", SettingType::Number, false,
     [](const TransmitterSettings& s) { return FloatJson(s.RangeMax); },
     [](const TransmitterSettings& s) { return BitsOf(s.RangeMax); }, 4,
     &ReadFloat<&Transmitter::ReadRangeMax>, &WriteFloat<&Transmitter::WriteRangeMax>},
    {"offset", SettingType::Number, true,
     [](const TransmitterSettings& s) { return FloatJson(s.Offset); },
     [](const TransmitterSettings& s) { return BitsOf(s.Offset); }, 4,
     &ReadFloat<&Transmitter::ReadOffset>, &WriteFloat<&Transmitter::WriteOffset>},
    {"sensitivity", SettingType::Number, true,
     [](const TransmitterSettings& s) { return FloatJson(s.Sensitivity); },
     [](const TransmitterSettings& s) { return BitsOf(s.Sensitivity); }, 4,
     &ReadFloat<&Transmitter::ReadSensitivity>, &WriteFloat<&Transmitter::WriteSensitivity>},
    {"calibration_date", SettingType::Date, true,
     [](const TransmitterSettings& s) { return DateJson(s.CalibrationDate); },
     [](const TransmitterSettings& s) { return s.CalibrationDate; }, 4, &ReadDate, &WriteDate},
};

namespace {

[[noreturn]] void Reject(const std::string& where, const std::string& problem) {
    throw CommandFailure(ExitCode::Usage, where + ": " + problem);
}

const char* TypeName(const json& value) {
    return value.is_null() ? "null" : value.type_name();
}

json CheckInteger(const json& value, long long low, long long high, const std::string& where,
                  const char* what) {
    if (!value.is_number_integer()) {
        Reject(where, std::string("expected an integer, found ") + TypeName(value));
    }
    // An integer beyond the signed range is out of range too, never wrapped into it.
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)) {
        Reject(where, std::string(what) + " " + value.dump() + " is outside " +
                          std::to_string(low) + " to " + std::to_string(high));
    }
    const long long n = value.get<long long>();
    if (n < low || n > high) {
        Reject(where, std::string(what) + " " + std::to_string(n) + " is outside " +
                          std::to_string(low) + " to " + std::to_string(high));
    }
    return n;
}

json CheckNumber(const json& value, const std::string& where) {
    if (!value.is_number()) {
        Reject(where, std::string("expected a number, found ") + TypeName(value));
    }
    const double d = value.get<double>();
    if (!std::isfinite(d)) {
        Reject(where, "not a finite number");
    }
    if (std::fabs(d) > FLT_MAX) {
        Reject(where, "the number does not fit a single-precision float");
    }
    return ShortestDouble(static_cast<float>(d));
}

json CheckSensor(const json& value, const SensorList& sensors, const std::string& where) {
    if (!value.is_string()) {
        Reject(where, std::string("expected a sensor name, found ") + TypeName(value));
    }
    const std::string name = value.get<std::string>();
    std::string known;
    for (std::int32_t i = 0; i < sensors.GetCount(); ++i) {
        if (name == sensors.ItemAt(i)->Name) {
            return name;
        }
        known += std::string(known.empty() ? "" : ", ") + Quoted(sensors.ItemAt(i)->Name);
    }
    // A backup of a transmitter whose polynomial matches no sensor restores everything else.
    if (name == UnknownSensor) {
        return name;
    }
    Reject(where, "sensor " + Quoted(name) + " is not in the list (" + known + ")");
}

json CheckDate(const json& value, const std::string& where) {
    if (value.is_null()) {
        return nullptr;
    }
    if (!value.is_string()) {
        Reject(where, std::string("expected a date YYYY-MM-DD or null, found ") + TypeName(value));
    }
    const std::string text = value.get<std::string>();
    if (!ParseDate(text)) {
        Reject(where, Quoted(text) + " is not a real date YYYY-MM-DD");
    }
    return text;
}

}  // namespace

const SettingKey* FindSettingKey(const std::string& name) {
    for (const SettingKey& key : SettingKeys) {
        if (name == key.Name) {
            return &key;
        }
    }
    return nullptr;
}

std::string SettingKeyNames() {
    std::string names;
    for (const SettingKey& key : SettingKeys) {
        names += std::string(names.empty() ? "" : ", ") + key.Name;
    }
    return names;
}

json SettingsJson(const TransmitterSettings& settings) {
    json values = json::object();
    for (const SettingKey& key : SettingKeys) {
        values[key.Name] = key.Value(settings);
    }
    return values;
}

json CheckSetting(const SettingKey& key, const json& value, const SensorList& sensors,
                  const std::string& where) {
    switch (key.Type) {
        case SettingType::ProbeKind:
            return CheckInteger(value, 0, 1, where, "probe kind (0 pH, 1 ISE)");
        case SettingType::Damping:
            return CheckInteger(value, 0, MaxDamping, where, "damping");
        case SettingType::Number:
            return CheckNumber(value, where);
        case SettingType::Sensor:
            return CheckSensor(value, sensors, where);
        case SettingType::Date:
            return CheckDate(value, where);
    }
    Reject(where, "unknown setting");
}

json CheckSettings(const json& settings, const SensorList& sensors, const std::string& where) {
    if (!settings.is_object()) {
        Reject(where, std::string("expected an object, found ") + TypeName(settings));
    }
    for (const auto& item : settings.items()) {
        if (FindSettingKey(item.key()) == nullptr) {
            Reject(where + "." + Escaped(item.key()), "unknown key");
        }
    }
    json checked = json::object();
    for (const SettingKey& key : SettingKeys) {
        const std::string path = where + "." + key.Name;
        if (!settings.contains(key.Name)) {
            Reject(path, "missing key");
        }
        checked[key.Name] = CheckSetting(key, settings.at(key.Name), sensors, path);
    }
    return checked;
}

json ParseSettingText(const SettingKey& key, const std::string& text, const SensorList& sensors) {
    json value = text;
    const char* begin = text.c_str();
    char* end = nullptr;
    switch (key.Type) {
        case SettingType::ProbeKind:
            if (text == "pH" || text == "ISE") {
                value = text == "pH" ? 0 : 1;
                break;
            }
            [[fallthrough]];
        case SettingType::Damping: {
            const long long n = std::strtoll(begin, &end, 10);
            if (!text.empty() && *end == '\0') {
                value = n;
            }
            break;
        }
        case SettingType::Number: {
            const double d = std::strtod(begin, &end);
            if (!text.empty() && *end == '\0') {
                value = d;
            }
            break;
        }
        case SettingType::Sensor:
            break;
        case SettingType::Date:
            if (text == "none") {
                value = nullptr;
            }
            break;
    }
    return CheckSetting(key, value, sensors, key.Name);
}

std::string SettingText(const json& value) {
    if (value.is_number_float()) {
        return FloatText(static_cast<float>(value.get<double>()));
    }
    return value.is_null()     ? "none"
           : value.is_string() ? Escaped(value.get<std::string>())
                               : value.dump();
}
