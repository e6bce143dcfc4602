#include "calibration/stability_criteria.h"

#include <cmath>
#include <cstdlib>

namespace {

struct Preset {
    const char* Name;
    double Drift;
    double Hold;
    double Temperature;
};

// The temperature limits keep a moving temperature below about a tenth of a millivolt per
// minute of slope change at the buffers' distance from pH 7.
constexpr Preset Presets[] = {
    {"strict", 0.2, 30.0, 0.1},
    {"normal", 0.5, 20.0, 0.2},
    {"fast", 1.0, 10.0, 0.3},
};

bool ParsePositive(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value > 0.0;
}

}  // namespace

std::optional<StabilityCriteria> ParseStability(const std::string& text) {
    StabilityCriteria criteria;
    for (const Preset& preset : Presets) {
        if (text == preset.Name) {
            criteria.DriftLimit = preset.Drift;
            criteria.HoldSeconds = preset.Hold;
            criteria.TemperatureLimit = preset.Temperature;
            return criteria;
        }
    }
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos || !ParsePositive(text.substr(0, slash), criteria.DriftLimit) ||
        !ParsePositive(text.substr(slash + 1), criteria.HoldSeconds) ||
        criteria.HoldSeconds > 86400.0) {
        return std::nullopt;
    }
    return criteria;
}
