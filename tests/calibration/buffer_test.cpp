#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "calibration/buffer_list.h"
#include "calibration/eval_polynomial32.h"

namespace {

struct ListDeleter {
    void operator()(BufferList* list) const { list->Free(); }
};
using BufferListPtr = std::unique_ptr<BufferList, ListDeleter>;

BufferListPtr MakeBuffers() {
    return BufferListPtr(CreateBufferList());
}

TEST(BufferList, HoldsTheFiveBuffersInTheComboBoxOrder) {
    BufferListPtr buffers = MakeBuffers();
    ASSERT_EQ(buffers->GetCount(), 5);
    const char* names[] = {"pH 4.01", "pH 6.86", "pH 7.01", "pH 9.18", "pH 10.01"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(buffers->ItemAt(i)->Name, names[i]) << i;
    }
}

TEST(BufferList, AnIndexOutsideTheListGivesNoBufferInsteadOfStoppingTheProgram) {
    BufferListPtr buffers = MakeBuffers();
    EXPECT_EQ(buffers->ItemAt(-1), nullptr);
    EXPECT_EQ(buffers->ItemAt(5), nullptr);
}

TEST(PhBuffer, MatchesTheTableAtEveryListedTemperatureToFourDecimals) {
    const float temperatures[] = {0, 10, 20, 25, 30, 40, 50, 60};
    const double table[5][8] = {
        {4.0067, 4.0003, 4.0042, 4.0096, 4.0169, 4.0367, 4.0621, 4.0914},
        {6.9830, 6.9238, 6.8811, 6.8654, 6.8531, 6.8375, 6.8325, 6.8359},
        {7.1300, 7.0700, 7.0267, 7.0107, 6.9982, 6.9825, 6.9778, 6.9821},
        {9.4627, 9.3331, 9.2262, 9.1802, 9.1387, 9.0676, 9.0098, 8.9623},
        {10.3158, 10.1796, 10.0618, 10.0097, 9.9621, 9.8808, 9.8176, 9.7728},
    };
    BufferListPtr buffers = MakeBuffers();
    for (int b = 0; b < 5; ++b) {
        for (int t = 0; t < 8; ++t) {
            EXPECT_NEAR(buffers->ItemAt(b)->PhAt(temperatures[t]), table[b][t], 0.5e-4)
                << buffers->ItemAt(b)->Name << " at " << temperatures[t];
        }
    }
}

TEST(PhBuffer, AtZeroDegreesGivesExactlyItsConstantCoefficient) {
    BufferListPtr buffers = MakeBuffers();
    const float c0[] = {4.0067267f, 6.982992f, 7.129996f, 9.462653f, 10.315767f};
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(buffers->ItemAt(b)->PhAt(0.0f), c0[b]) << buffers->ItemAt(b)->Name;
    }
}

TEST(PhBuffer, TemperatureIsNotClampedSoTheCurveTurnsUpwardPastItsMinimum) {
    BufferListPtr buffers = MakeBuffers();
    const PhBuffer* ph1001 = buffers->ItemAt(4);
    EXPECT_NEAR(ph1001->PhAt(80.0f), 9.7377, 0.5e-4);
    EXPECT_NEAR(ph1001->PhAt(90.0f), 9.7476, 0.5e-4);
}

TEST(PhBuffer, NanTemperatureGivesNanPh) {
    BufferListPtr buffers = MakeBuffers();
    for (int b = 0; b < 5; ++b) {
        EXPECT_TRUE(std::isnan(buffers->ItemAt(b)->PhAt(std::nanf(""))));
    }
}

TEST(EvalPolynomial32, DegreeZeroReturnsTheCoefficientUnchanged) {
    const float c[] = {-1.25e-30f};
    EXPECT_EQ(EvalPolynomial32(c, 0, 12345.0f), -1.25e-30f);
}

TEST(EvalPolynomial32, RoundsOncePerHornerStepNeitherPerOperationNorOnlyAtTheEnd) {
    // Step 1: 1.375 * 6 * 2^-27 + 1 is just over half an ulp above 1 and rounds up to
    // 1 + 2^-23. Step 2: 1.375 * (1 + 2^-23) + 1 is 0.6875 ulp above 2.375 and rounds up.
    // Kept wide to the end, the first step's excess is too small to round up; rounded
    // after the product as well, the second step lands on a tie that rounds to even.
    const float c[] = {1.0f, 1.0f, 6.0f * std::ldexp(1.0f, -27)};
    EXPECT_EQ(EvalPolynomial32(c, 2, 1.375f), 2.375f + std::ldexp(1.0f, -22));
}

}  // namespace
