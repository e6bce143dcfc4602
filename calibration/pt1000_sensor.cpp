#include "calibration/pt1000_sensor.h"

namespace {

constexpr float Pt1000Inverse[InverseCoefficientCount] = {-245.80544f, 0.23577355f, 1.0030776e-05f,
                                                          0.0f, 0.0f};

}  // namespace

Pt1000Sensor::Pt1000Sensor() {
    Name = "Pt1000 (3850)";
    InverseCoefficients = Pt1000Inverse;
    NominalResistance = 1000.0;
}
