#include "calibration/coefficient_block_codec.h"

#include "calibration/temp_sensor.h"
#include "link/wire_value.h"

CoefficientBlock EncodeCoefficientBlock(const float* coefficients) {
    CoefficientBlock block{};
    for (int i = 0; i < InverseCoefficientCount; ++i) {
        PutLittleEndian32(block.Bytes + 4 * i, BitsOf(coefficients[i]));
    }
    return block;
}

void DecodeCoefficientBlock(const CoefficientBlock& block, float* coefficients) {
    for (int i = 0; i < InverseCoefficientCount; ++i) {
        coefficients[i] = FloatOf(GetLittleEndian32(block.Bytes + 4 * i));
    }
}
