#include "cli/setting_keys.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cli/command_failure.h"
#include "cli/value_text.h"

using nlohmann::json;

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
    if (!std::isfinite(d) || std::fabs(d) > FLT_MAX) {
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
        Reject(where, Quoted(text) + " is not a date YYYY-MM-DD");
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

json SettingsJson(const TransmitterSettings& settings) {
    json values = json::object();
    values["probe_kind"] = settings.ProbeKind;
    values["sensor"] = settings.Sensor;
    values["input_damping"] = settings.InputDamping;
    values["temperature_damping"] = settings.TemperatureDamping;
    values["range_min"] = ShortestDouble(settings.RangeMin);
    values["range_max"] = ShortestDouble(settings.RangeMax);
    values["offset"] = ShortestDouble(settings.Offset);
    values["sensitivity"] = ShortestDouble(settings.Sensitivity);
    std::optional<std::string> date = DateText(settings.CalibrationDate);
    values["calibration_date"] = date ? json(*date) : json(nullptr);
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
            Reject(where + "." + item.key(), "unknown key");
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
