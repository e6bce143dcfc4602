#include "cli/mqtt_payload.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/value_text.h"

using nlohmann::json;

namespace {

// In LiveValues' order. PA-DIM names the temperature at the sensing element; the other
// quantities have no PA-DIM variable and are named in its manner. The measured value is the
// analytical signal's own variable.
struct LiveField {
    const char* Name;
    // None for the measured value, whose unit depends on the probe.
    const char* Unit;
};
constexpr LiveField LiveFields[LiveValues::Count] = {
    {"TemperatureSensorResistance", "Ω"},
    {"SensingElementTemperature", "°C"},
    {"SensingElementPotential", "mV"},
    {"AnalogSignal", nullptr},
    {"Ratio", "1"},
};

// The shortest decimal of the float, or null for the fault pattern and other non-numbers,
// which JSON cannot hold.
json Number(float value) {
    return std::isfinite(value) ? json(ShortestDouble(value)) : json(nullptr);
}

json Quantity(const json& value, const char* unit) {
    json quantity = {{"Value", value}};
    if (unit != nullptr) {
        quantity["EngineeringUnits"] = unit;
    }
    return quantity;
}

bool IsPh(int probeKind) {
    return (probeKind & 1) == 0;
}

json Rated(const std::optional<double>& value, double scale, const std::optional<Rating>& rating) {
    return {{"Value", value ? json(std::round(*value * scale) / scale) : json(nullptr)},
            {"Rating", rating ? json(RatingName(*rating)) : json(nullptr)}};
}

// The identity and the sensor name come from the device and may be any bytes: a byte that is
// not UTF-8 becomes U+FFFD rather than ending watch.
std::string Text(const json& document) {
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::string LivePayload(const LivePoll& poll, std::uint64_t sequence, int probeKind) {
    json document = {{"SerialNumber", poll.SerialNumber},
                     {"SequenceNumber", sequence},
                     {"SourceTimestamp", poll.Time}};
    for (int i = 0; i < LiveValues::Count; ++i) {
        const char* unit = LiveFields[i].Unit;
        if (unit == nullptr && probeKind >= 0 && IsPh(probeKind)) {
            unit = "pH";
        }
        document[LiveFields[i].Name] =
            Quantity(poll.Values.Present[i] ? Number(poll.Values.Values[i]) : json(nullptr), unit);
    }
    document["Faults"] = poll.Values.Faults;
    document["NoReply"] = poll.Values.Failed;
    return Text(document);
}

std::string InfoPayload(const TransmitterInfo& info) {
    const TransmitterSettings& s = info.Settings;
    const ProbeJudgement& j = info.Judgement;
    const bool ph = IsPh(s.ProbeKind);
    const std::optional<std::string> date = DateText(s.CalibrationDate);
    json document = {
        {"SerialNumber", s.SerialNumber},
        {"SourceTimestamp", info.Time},
        {"Model", s.Identity},
        {"SoftwareRevision", VersionText(s.Firmware)},
        {"OutputType", OutputTypeName(s.OutputType)},
        {"ProbeKind", ProbeKindName(s.ProbeKind)},
        {"SensorSlope", Quantity(Number(s.Sensitivity), ph ? "mV/pH" : "mV/decade")},
        {"SensorAsymmetryPotential", Quantity(Number(s.Offset), "mV")},
        {"SensorLastCalibration", date ? json(*date) : json(nullptr)},
        {"Damping", s.InputDamping},
        {"TemperatureDamping", s.TemperatureDamping},
        {"EURange", {{"Low", Number(s.RangeMin)}, {"High", Number(s.RangeMax)}}},
        {"TemperatureSensor", s.Sensor},
        {"ProbeJudgement",
         {{"SensorSlopePercent", Rated(j.SlopePercent, 10.0, j.SlopeRating)},
          {"SensorAsymmetryPotential", Rated(j.Offset, 10.0, j.OffsetRating)},
          {"ZeroPoint", Rated(j.ZeroPoint, 100.0, j.ZeroPointRating)},
          {"DaysSinceCalibration",
           {{"Value", j.DaysSinceCalibration ? json(*j.DaysSinceCalibration) : json(nullptr)},
            {"Rating", RatingName(j.AgeRating)}}},
          {"Overall", RatingName(j.Overall)}}}};
    return Text(document);
}
