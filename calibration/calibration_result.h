// What a successful two-point calibration writes into the transmitter.
#pragma once

#include "calibration/calibration_date.h"

struct CalibrationResult {
    float Offset = 0.0f;  // mV: the probe voltage at pH 7, or at concentration 1
    float Slope = 0.0f;   // mV per pH or per decade, referred to 25 degrees Celsius
    CalibrationDate Date;
};
