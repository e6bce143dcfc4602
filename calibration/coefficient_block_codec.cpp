#include "calibration/coefficient_block_codec.h"

#include <cstdint>
#include <cstring>

#include "calibration/temp_sensor.h"

CoefficientBlock EncodeCoefficientBlock(const float* coefficients) {
    CoefficientBlock block{};
    for (int i = 0; i < InverseCoefficientCount; ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &coefficients[i], sizeof bits);
        for (int b = 0; b < 4; ++b) {
            block.Bytes[4 * i + b] = static_cast<std::uint8_t>(bits >> (8 * b));
        }
    }
    return block;
}

void DecodeCoefficientBlock(const CoefficientBlock& block, float* coefficients) {
    for (int i = 0; i < InverseCoefficientCount; ++i) {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) {
            bits |= static_cast<std::uint32_t>(block.Bytes[4 * i + b]) << (8 * b);
        }
        std::memcpy(&coefficients[i], &bits, sizeof bits);
    }
}
