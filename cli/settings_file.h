// The JSON form of a transmitter's settings: what info prints and what backup saves, and the
// checked loading of a saved file for diff and restore.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "calibration/sensor_list.h"
#include "cli/transmitter_settings.h"

// Raised whenever the file's layout changes; a file of a newer format is refused.
constexpr int SettingsFormat = 1;

// Identity, firmware, serial number, output type, the settings and the sensor polynomial.
nlohmann::json TransmitterJson(const TransmitterSettings& settings);

// A backup: the transmitter's JSON with the format version and the time of reading.
nlohmann::json SettingsDocument(const TransmitterSettings& settings, const std::string& readAt);

struct SettingsFile {
    nlohmann::json Document;
    // The file's settings, checked and in the form of SettingsJson.
    nlohmann::json Settings;
};

// Reads and checks the whole file; CommandFailure with exit code 2 naming the key and the
// problem when anything in it is wrong, before anything talks to a transmitter.
SettingsFile LoadSettingsFile(const std::string& path, const SensorList& sensors);
// CommandFailure with exit code 2 when the file cannot be written completely.
void SaveSettingsFile(const std::string& path, const nlohmann::json& document);
