// The JSON form of a transmitter's settings: what info prints and what backup saves, and the
// checked reading of a saved file for diff and restore.
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

// Checks the whole text of a file named `name`; CommandFailure with exit code 2 naming the
// file, and the key or the line and column, when anything in it is wrong. Duplicate keys are
// refused rather than letting the last one win.
SettingsFile ParseSettingsFile(const std::string& name, const std::string& text,
                               const SensorList& sensors);
// Reads (see ReadInputFile) and checks the file before anything talks to a transmitter.
SettingsFile LoadSettingsFile(const std::string& path, const SensorList& sensors);
