// The transmitter's own resistance-to-temperature conversion, read back for calibration points.
#pragma once

#include <cstdint>

#include "calibration/eval_polynomial32.h"
#include "calibration/temp_sensor.h"

// Five coefficients exist, so a higher degree would read past them.
constexpr std::uint8_t MaxTemperatureDegree = InverseCoefficientCount - 1;

struct TemperaturePolynomial {
    std::uint8_t Degree = 0;                           // command 52
    float Coefficients[InverseCoefficientCount] = {};  // command 53, lowest power first

    bool IsUsable() const { return Degree <= MaxTemperatureDegree; }
    // Only for a usable polynomial.
    float TemperatureAt(float ohm) const { return EvalPolynomial32(Coefficients, Degree, ohm); }
};
