#include "calibration/ph_buffer_686.h"

#include "calibration/eval_polynomial32.h"

namespace {

// pH(T) = c0 + c1 T + c2 T^2 + c3 T^3, each the exact binary32 value of its decimal.
constexpr float Coefficients[] = {6.982992f, -0.0068176826f, 9.3019764e-05f, -3.3762038e-07f};

}  // namespace

PhBuffer686::PhBuffer686() {
    Name = "pH 6.86";
}

float PhBuffer686::PhAt(float celsius) const {
    return EvalPolynomial32(Coefficients, 3, celsius);
}
