#include "calibration/ph_buffer_918.h"

#include "calibration/eval_polynomial32.h"

namespace {

// pH(T) = c0 + c1 T + c2 T^2 + c3 T^3, each the exact binary32 value of its decimal.
constexpr float Coefficients[] = {9.462653f, -0.014184138f, 0.00012823498f, -5.1382585e-07f};

}  // namespace

PhBuffer918::PhBuffer918() {
    Name = "pH 9.18";
}

float PhBuffer918::PhAt(float celsius) const {
    return EvalPolynomial32(Coefficients, 3, celsius);
}
