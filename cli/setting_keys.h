// The settings that files and the set command change: their names, their checks and their
// JSON form, one table in the order in which restore writes them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "calibration/sensor_list.h"
#include "cli/transmitter_settings.h"

enum class SettingType { ProbeKind, Damping, Number, Sensor, Date };

struct SettingKey {
    const char* Name;
    SettingType Type;
    // Offset, slope and date describe the probe, not the transmitter.
    bool Calibration;
};

constexpr SettingKey SettingKeys[] = {
    {"probe_kind", SettingType::ProbeKind, false},
    {"sensor", SettingType::Sensor, false},
    {"input_damping", SettingType::Damping, false},
    {"temperature_damping", SettingType::Damping, false},
    {"range_min", SettingType::Number, false},
    {"range_max", SettingType::Number, false},
    {"offset", SettingType::Number, true},
    {"sensitivity", SettingType::Number, true},
    {"calibration_date", SettingType::Date, true},
};

constexpr std::uint8_t MaxDamping = 30;

// None for a name that is not in the table.
const SettingKey* FindSettingKey(const std::string& name);

// Every key's value as read, in the form CheckSetting gives, so the two compare with ==.
nlohmann::json SettingsJson(const TransmitterSettings& settings);

// The value in its one form (floats rounded to what the transmitter stores), or
// CommandFailure with exit code 2 that names `where` and the problem.
nlohmann::json CheckSetting(const SettingKey& key, const nlohmann::json& value,
                            const SensorList& sensors, const std::string& where);
// An object with every key of the table and no other.
nlohmann::json CheckSettings(const nlohmann::json& settings, const SensorList& sensors,
                             const std::string& where);
// A value as typed on the command line, checked as a file's value would be.
nlohmann::json ParseSettingText(const SettingKey& key, const std::string& text,
                                const SensorList& sensors);
