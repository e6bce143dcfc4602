#include "calibration/sensor_settings.h"

#include "calibration/coefficient_block_codec.h"

namespace {

constexpr float LowTemperature = -20.0f;
constexpr float HighTemperature = 100.0f;

}  // namespace

SensorSettings SensorSettingsOf(const TempSensor& sensor) {
    SensorSettings settings;
    settings.LowResistance = sensor.ResistanceAt(LowTemperature);
    settings.HighResistance = sensor.ResistanceAt(HighTemperature);
    settings.Coefficients = EncodeCoefficientBlock(sensor.InverseCoefficients);
    settings.Degree = static_cast<std::uint8_t>(sensor.InverseDegree);
    return settings;
}

bool WriteSensorSettings(Transmitter& link, const SensorSettings& settings) {
    const bool low = link.WriteSensorLowResistance(settings.LowResistance);
    const bool high = link.WriteSensorHighResistance(settings.HighResistance);
    const bool coefficients = link.WriteSensorCoefficients(settings.Coefficients);
    const bool degree = link.WriteSensorDegree(settings.Degree);
    return low && high && coefficients && degree;
}
