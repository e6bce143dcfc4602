// The sampling state shared by both calibration points: only one point is measured at a time.
#pragma once

#include <cstdint>

constexpr std::int32_t SamplesPerPoint = 36;

struct CalibrationState {
    // Values of Phase.
    static constexpr std::int32_t Idle = 0;
    static constexpr std::int32_t SamplingPoint1 = 1;
    static constexpr std::int32_t SamplingPoint2 = 2;

    double ResistanceSum = 0.0;
    double VoltageSum = 0.0;
    // For the spread of the voltage samples, which a calibration record keeps.
    double VoltageSquareSum = 0.0;
    std::int32_t SampleCount = 0;
    std::int32_t Phase = Idle;
};
