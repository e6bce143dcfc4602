// Values the transmitter would store but that nobody can mean: refused unless --force. A
// value that is not finite is refused by the setting's own check, forced or not.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/setting_keys.h"

// A pH probe's slope lies between these, in mV per pH (theoretically -59.16 at 25 degrees).
constexpr double SteepestPhSlope = -80.0;
constexpr double FlattestPhSlope = -20.0;

// One message per rule broken by the settings as they would be after writing `changing`
// (a rule that involves none of them is not checked: it was not broken by this write).
std::vector<std::string> ImplausibleSettings(const nlohmann::json& settings,
                                             const std::vector<const SettingKey*>& changing);
