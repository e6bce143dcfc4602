// How worn a pH probe is, judged from a calibration's slope and zero point, each rated good,
// check or replace against limits that the judgement keeps beside its result.
#pragma once

#include <cstdint>

// The Nernst slope of a pH electrode at 25 degrees Celsius, in mV per pH.
constexpr double NernstSlope = -59.16;

enum class RatingLevel { Good, Check, Replace };
const char* RatingLevelName(RatingLevel level);

// Common pH practice. qx7ctl's judgement starts from the same numbers, so a record, its
// certificate and info never rate one calibration differently.
struct RatingLimits {
    double SlopeGoodMin = 95.0;    // % of the Nernst slope
    double SlopeGoodMax = 103.0;   // %
    double SlopeCheckMin = 85.0;   // %
    double SlopeCheckMax = 110.0;  // %
    double OffsetGood = 30.0;      // mV from 0 at pH 7
    double OffsetCheck = 60.0;     // mV
};

struct ProbeRating {
    // False for an ion-selective probe, whose theoretical slope depends on its ion.
    bool Rated = false;
    double SlopePercent = 0.0;
    RatingLevel SlopeLevel = RatingLevel::Good;
    // The pH at which the probe gives 0 mV; not known for a slope of 0.
    bool HasZeroPoint = false;
    double ZeroPoint = 0.0;
    RatingLevel ZeroPointLevel = RatingLevel::Good;
    RatingLevel Overall = RatingLevel::Good;
    RatingLimits Limits;
};

// offset is the probe voltage at pH 7 (mV), slope in mV per pH.
ProbeRating RateProbe(std::uint8_t kind, float offset, float slope, const RatingLimits& limits);
