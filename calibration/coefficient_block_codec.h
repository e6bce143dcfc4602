// The 20-byte wire form of five coefficients (command 53), whatever the host's byte order.
#pragma once

#include "link/transmitter.h"

// c0 first, each little-endian.
CoefficientBlock EncodeCoefficientBlock(const float* coefficients);
void DecodeCoefficientBlock(const CoefficientBlock& block, float* coefficients);
