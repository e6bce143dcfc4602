#include "calibration/eval_polynomial32.h"

float EvalPolynomial32(const float* coefficients, std::int32_t degree, float x) {
    float r = coefficients[degree];
    for (std::int32_t i = degree - 1; i >= 0; --i) {
        // long double is the 80-bit x87 format on both targets; the cast to float is the
        // per-step rounding the transmitter performs.
        r = static_cast<float>(static_cast<long double>(x) * static_cast<long double>(r) +
                               static_cast<long double>(coefficients[i]));
    }
    return r;
}
