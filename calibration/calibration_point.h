// One of the two points of a probe calibration: a standard and what was measured in it.
#pragma once

#include <cstdint>

struct CalibrationPoint {
    float Standard = 0.0f;     // pH, or concentration for an ion-selective probe
    float Temperature = 0.0f;  // mean solution temperature, degrees Celsius
    float Voltage = 0.0f;      // mean probe voltage, mV
    // Measured completely and not cleared since.
    bool Valid = false;
    // The point's preset buffer as the dialog reported it when the measurement finished.
    bool UsePreset = false;
    std::int32_t PresetIndex = -1;
    // The counted samples behind the means, and the voltage samples' standard deviation, mV.
    std::int32_t Samples = 0;
    float VoltageSpread = 0.0f;
};
