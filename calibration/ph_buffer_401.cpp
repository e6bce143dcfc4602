#include "calibration/ph_buffer_401.h"

#include "calibration/eval_polynomial32.h"

namespace {

// pH(T) = c0 + c1 T + c2 T^2 + c3 T^3, each the exact binary32 value of its decimal.
constexpr float Coefficients[] = {4.0067267f, -0.0012101717f, 5.959901e-05f, -2.652885e-07f};

}  // namespace

PhBuffer401::PhBuffer401() {
    Name = "pH 4.01";
}

float PhBuffer401::PhAt(float celsius) const {
    return EvalPolynomial32(Coefficients, 3, celsius);
}
