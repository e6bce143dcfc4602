#include "calibration/ph_buffer_1001.h"

#include "calibration/eval_polynomial32.h"

namespace {

// pH(T) = c0 + c1 T + c2 T^2, each the exact binary32 value of its decimal.
constexpr float Coefficients[] = {10.315767f, -0.014524308f, 9.1234906e-05f};

}  // namespace

PhBuffer1001::PhBuffer1001() {
    Name = "pH 10.01";
}

float PhBuffer1001::PhAt(float celsius) const {
    return EvalPolynomial32(Coefficients, 2, celsius);
}
