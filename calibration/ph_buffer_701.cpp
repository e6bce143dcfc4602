#include "calibration/ph_buffer_701.h"

#include "calibration/eval_polynomial32.h"

namespace {

// pH(T) = c0 + c1 T + c2 T^2 + c3 T^3, each the exact binary32 value of its decimal.
constexpr float Coefficients[] = {7.129996f, -0.006904366f, 9.337279e-05f, -3.2322146e-07f};

}  // namespace

PhBuffer701::PhBuffer701() {
    Name = "pH 7.01";
}

float PhBuffer701::PhAt(float celsius) const {
    return EvalPolynomial32(Coefficients, 3, celsius);
}
