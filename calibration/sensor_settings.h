// The four values that select a temperature sensor in the transmitter, and their writing.
#pragma once

#include <cstdint>

#include "calibration/temp_sensor.h"
#include "link/transmitter.h"

struct SensorSettings {
    float LowResistance = 0.0f;       // command 54: resistance at -20 degrees Celsius
    float HighResistance = 0.0f;      // command 55: resistance at 100 degrees Celsius
    CoefficientBlock Coefficients{};  // command 53
    std::uint8_t Degree = 0;          // command 52
};

SensorSettings SensorSettingsOf(const TempSensor& sensor);

// Writes 54, 55, 53, 52 in this order; every write is attempted even when an earlier one
// failed, since nothing can roll the others back. True when all four succeeded.
bool WriteSensorSettings(Transmitter& link, const SensorSettings& settings);
