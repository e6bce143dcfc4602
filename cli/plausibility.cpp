#include "cli/plausibility.h"

#include <cstring>
#include <optional>

#include "calibration/probe_kind.h"

using nlohmann::json;

namespace {

struct PlausibilityRule {
    // The keys whose change can break the rule.
    const char* Keys[2];
    // The problem, or none when the settings keep the rule.
    std::optional<std::string> (*Broken)(const json& settings);
};

std::optional<double> Number(const json& settings, const char* key) {
    const json& value = settings.at(key);
    return value.is_number() ? std::optional<double>(value.get<double>()) : std::nullopt;
}

std::optional<std::string> SlopeBroken(const json& settings) {
    const std::optional<double> slope = Number(settings, "sensitivity");
    const json& kind = settings.at("probe_kind");
    if (!slope || !kind.is_number_integer()) {
        return std::nullopt;
    }
    if (kind.get<long long>() == ProbeKindPh) {
        if (*slope >= SteepestPhSlope && *slope <= FlattestPhSlope) {
            return std::nullopt;
        }
        return "sensitivity " + SettingText(*slope) +
               ": a pH probe's slope is negative, between -20 and -80 mV/pH";
    }
    if (*slope == 0.0) {
        return std::string("sensitivity 0: a probe with no slope measures nothing");
    }
    return std::nullopt;
}

std::optional<std::string> RangeBroken(const json& settings) {
    const std::optional<double> low = Number(settings, "range_min");
    const std::optional<double> high = Number(settings, "range_max");
    if (!low || !high || *low < *high) {
        return std::nullopt;
    }
    return "range_min " + SettingText(*low) + " is not below range_max " + SettingText(*high);
}

const PlausibilityRule Rules[] = {
    {{"sensitivity", "sensitivity"}, &SlopeBroken},
    {{"range_min", "range_max"}, &RangeBroken},
};

}  // namespace

std::vector<std::string> ImplausibleSettings(const json& settings,
                                             const std::vector<const SettingKey*>& changing) {
    std::vector<std::string> problems;
    for (const PlausibilityRule& rule : Rules) {
        bool involved = false;
        for (const SettingKey* key : changing) {
            involved = involved || std::strcmp(key->Name, rule.Keys[0]) == 0 ||
                       std::strcmp(key->Name, rule.Keys[1]) == 0;
        }
        if (!involved) {
            continue;
        }
        if (std::optional<std::string> problem = rule.Broken(settings)) {
            problems.push_back(*problem);
        }
    }
    return problems;
}
