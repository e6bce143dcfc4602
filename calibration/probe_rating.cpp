#include "calibration/probe_rating.h"

#include <cmath>

#include "calibration/probe_kind.h"

namespace {

RatingLevel Within(double value, double goodMin, double goodMax, double checkMin, double checkMax) {
    if (value >= goodMin && value <= goodMax) {
        return RatingLevel::Good;
    }
    if (value >= checkMin && value <= checkMax) {
        return RatingLevel::Check;
    }
    // A NaN lands here too: nothing trustworthy was measured.
    return RatingLevel::Replace;
}

RatingLevel Worse(RatingLevel a, RatingLevel b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

}  // namespace

const char* RatingLevelName(RatingLevel level) {
    switch (level) {
        case RatingLevel::Good:
            return "good";
        case RatingLevel::Check:
            return "check";
        case RatingLevel::Replace:
            return "replace";
    }
    return "replace";
}

ProbeRating RateProbe(std::uint8_t kind, float offset, float slope, const RatingLimits& limits) {
    ProbeRating rating;
    rating.Limits = limits;
    if (kind != ProbeKindPh) {
        return rating;
    }
    rating.Rated = true;
    rating.SlopePercent = slope / NernstSlope * 100.0;
    rating.SlopeLevel = Within(rating.SlopePercent, limits.SlopeGoodMin, limits.SlopeGoodMax,
                               limits.SlopeCheckMin, limits.SlopeCheckMax);
    if (slope != 0.0f) {
        rating.HasZeroPoint = true;
        rating.ZeroPoint = 7.0 - static_cast<double>(offset) / slope;
    }
    rating.ZeroPointLevel = Within(std::fabs(static_cast<double>(offset)), 0.0, limits.OffsetGood,
                                   0.0, limits.OffsetCheck);
    rating.Overall = Worse(rating.SlopeLevel, rating.ZeroPointLevel);
    return rating;
}
