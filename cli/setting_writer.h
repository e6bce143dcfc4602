// Writing one checked setting to the transmitter and making sure it was stored.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "calibration/sensor_list.h"
#include "cli/setting_keys.h"
#include "link/transmitter.h"

// Writes the value (in the form CheckSetting gives) and compares what the transmitter stored
// with it: the echo where the reply carries the value, otherwise (and after a write without
// a valid reply, which may still have been stored) a read-back, tried `retries` more times.
// The write itself is repeated, up to `retries` times, only when the stored value shows it
// did not take. False, with the reason in problem, when the value is not confirmed.
// The sensor "unknown" cannot be written and is never passed here.
bool WriteSetting(Transmitter& link, const SensorList& sensors, const SettingKey& key,
                  const nlohmann::json& value, int retries, std::string& problem);
