// How worn a pH probe is, judged from its calibration: slope against the theoretical value,
// offset and zero point, and the age of the calibration, each good, check, recalibrate or
// replace.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "calibration/local_date.h"
#include "calibration/probe_rating.h"
#include "cli/transmitter_settings.h"

// The Nernst slope of a pH electrode at 25 degrees Celsius, in mV per pH.
constexpr double TheoreticalSlope = -59.16;

// The limits of the rating, defaulting to those a calibration record is rated with.
struct JudgementLimits {
    double SlopeGoodMin = RatingLimits{}.SlopeGoodMin;
    double SlopeGoodMax = RatingLimits{}.SlopeGoodMax;
    double SlopeCheckMin = RatingLimits{}.SlopeCheckMin;
    double SlopeCheckMax = RatingLimits{}.SlopeCheckMax;
    double OffsetGood = RatingLimits{}.OffsetGood;
    double OffsetCheck = RatingLimits{}.OffsetCheck;
    double ZeroPointGood = 0.5;
    double ZeroPointCheck = 1.0;
    double AgeGood = 30.0;
    double AgeCheck = 90.0;
};

// One row per limit: the name --limit NAME=VALUE and info --json use, and its field.
struct JudgementLimitField {
    const char* Name;
    double JudgementLimits::*Field;
    const char* Meaning;
};
constexpr std::size_t JudgementLimitCount = 10;
extern const JudgementLimitField JudgementLimitFields[JudgementLimitCount];

// NAME=VALUE; CommandFailure with exit code 2 for an unknown name or a value that is not a
// finite number.
void OverrideLimit(JudgementLimits& limits, const std::string& assignment);
// CommandFailure with exit code 2 naming limits that contradict each other.
void CheckLimits(const JudgementLimits& limits);
nlohmann::json LimitsJson(const JudgementLimits& limits);

// Ordered from best to worst, so the overall verdict is the worst of the parts. An old
// calibration asks for a recalibration, not for a new probe.
enum class Rating { Good, Check, Recalibrate, Replace };
const char* RatingName(Rating rating);

struct ProbeJudgement {
    // Slope, offset and zero point only for a pH probe: an ion-selective probe's theoretical
    // slope depends on its ion. None where the transmitter holds no valid value.
    std::optional<double> SlopePercent;
    std::optional<Rating> SlopeRating;
    std::optional<double> Offset;
    std::optional<Rating> OffsetRating;
    // The pH at which the probe gives 0 mV; the offset is the voltage at pH 7.
    std::optional<double> ZeroPoint;
    std::optional<Rating> ZeroPointRating;
    // None when the transmitter holds no (or no valid) calibration date.
    std::optional<long> DaysSinceCalibration;
    Rating AgeRating = Rating::Check;
    Rating Overall = Rating::Good;
};

ProbeJudgement JudgeProbe(const TransmitterSettings& settings, const CalendarDay& today,
                          const JudgementLimits& limits);
nlohmann::json JudgementJson(const ProbeJudgement& judgement);
// One line for monitoring: the overall verdict and each rated part.
std::string JudgementSummary(const ProbeJudgement& judgement);
