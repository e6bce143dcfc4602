// A platinum thermometer the transmitter can be set for: its curve and its stored inverse.
#pragma once

#include <cstdint>

#include "objects/base_object.h"

constexpr std::int32_t InverseCoefficientCount = 5;

class TempSensor : public BaseObject {
  public:
    // Resistance in ohm at a temperature in degrees Celsius (Callendar-Van Dusen).
    virtual float ResistanceAt(float celsius) const = 0;

    // Windows-1250 text of the sensor combo box; static, never freed.
    const char* Name = nullptr;
    // Five binary32 coefficients, lowest power first, exactly as the transmitter stores them.
    const float* InverseCoefficients = nullptr;
    // The transmitter stores only the low byte.
    std::int32_t InverseDegree = 0;
    // R0, the resistance at 0 degrees Celsius.
    double NominalResistance = 0.0;
};
