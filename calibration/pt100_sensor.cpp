#include "calibration/pt100_sensor.h"

namespace {

// The exact bits matter: the transmitter's block is recognised by equality with these.
constexpr float Pt100Inverse[InverseCoefficientCount] = {-245.80544f, 2.3577354f, 0.0010030776f,
                                                         0.0f, 0.0f};

// Callendar-Van Dusen constants of IEC 60751.
constexpr double A = 3.9083e-3;
constexpr double B = -5.775e-7;
constexpr double C = -4.183e-12;

}  // namespace

Pt100Sensor::Pt100Sensor() {
    Name = "Pt100 (3850)";
    InverseCoefficients = Pt100Inverse;
    InverseDegree = 2;
    NominalResistance = 100.0;
}

float Pt100Sensor::ResistanceAt(float celsius) const {
    const double t = celsius;
    // A NaN fails the comparison and takes the upper branch, giving a NaN resistance.
    if (t < 0.0) {
        return static_cast<float>((((C * (t - 100.0) * t + B) * t + A) * t + 1.0) *
                                  NominalResistance);
    }
    return static_cast<float>(((B * t + A) * t + 1.0) * NominalResistance);
}
