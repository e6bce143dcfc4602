// Writing one checked setting to the transmitter and making sure it was stored.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "calibration/sensor_list.h"
#include "cli/setting_keys.h"
#include "link/transmitter.h"

// Writes the value (in the form CheckSetting gives) and compares what the transmitter stored
// with it: the echo where the reply carries the value, a read-back where the reply is only
// acknowledged. False, with the reason in problem, when the write or the check fails.
// The sensor "unknown" cannot be written and is never passed here.
bool WriteSetting(Transmitter& link, const SensorList& sensors, const SettingKey& key,
                  const nlohmann::json& value, std::string& problem);
