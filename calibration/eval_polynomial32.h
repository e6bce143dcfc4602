// The single-precision polynomial evaluation shared by the buffers and the temperature conversion.
#pragma once

#include <cstdint>

// Horner's rule over degree + 1 coefficients, lowest power first. Each step's product and
// sum are formed in extended precision and rounded to binary32 before the next step, the
// rounding the transmitter's own conversion uses. degree must be >= 0.
float EvalPolynomial32(const float* coefficients, std::int32_t degree, float x);
