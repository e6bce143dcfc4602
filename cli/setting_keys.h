// The settings that files and the set command change: one row per key with its name, type,
// its value in what was read, and how it is read and written, in the order restore writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "calibration/sensor_list.h"
#include "cli/transmitter_settings.h"
#include "link/transmitter.h"

enum class SettingType { ProbeKind, Damping, Number, Sensor, Date };

struct SettingKey {
    const char* Name;
    SettingType Type;
    // Offset, slope and date describe the probe, not the transmitter.
    bool Calibration;
    // The value in settings already read, in the form CheckSetting gives (null for a float
    // that is not a number), and its bytes as they came over the wire, for messages.
    nlohmann::json (*Value)(const TransmitterSettings& settings);
    std::uint32_t (*Wire)(const TransmitterSettings& settings);
    int WireSize;
    // Reads the stored value in the same form; false without a valid reply.
    bool (*Read)(Transmitter& link, const SensorList& sensors, nlohmann::json& stored);
    // Sends a checked value; false without a valid reply. Where the reply carries the stored
    // value, echo holds it in the same form; otherwise it stays empty.
    bool (*Write)(Transmitter& link, const SensorList& sensors, const nlohmann::json& value,
                  std::optional<nlohmann::json>& echo);
};

constexpr std::size_t SettingKeyCount = 9;
extern const SettingKey SettingKeys[SettingKeyCount];

constexpr std::uint8_t MaxDamping = 30;

// None for a name that is not in the table.
const SettingKey* FindSettingKey(const std::string& name);
// The names of the table, comma-separated, for messages.
std::string SettingKeyNames();

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
// A value for messages: "none" for null, text escaped, numbers as JSON writes them.
std::string SettingText(const nlohmann::json& value);
