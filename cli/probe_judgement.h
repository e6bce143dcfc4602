// How worn a pH probe is, judged from its calibration: slope against the theoretical value,
// zero point, and the age of the calibration, each rated good, check or replace.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "calibration/local_date.h"
#include "cli/transmitter_settings.h"

// The Nernst slope of a pH electrode at 25 degrees Celsius, in mV per pH.
constexpr double TheoreticalSlope = -59.16;

// One limit of the rating; --limit NAME=VALUE overrides its value.
struct JudgementLimit {
    const char* Name;
    double Value;
    const char* Meaning;
};

class JudgementLimits {
  public:
    JudgementLimits();

    // CommandFailure with exit code 2 for an unknown name or a value that is not a number.
    void Override(const std::string& assignment);
    double operator[](const char* name) const;

  private:
    std::vector<JudgementLimit> Limits;
};

enum class Rating { Good, Check, Replace };
const char* RatingName(Rating rating);

struct ProbeJudgement {
    // Slope and zero point only for a pH probe: an ion-selective probe's theoretical slope
    // depends on its ion.
    std::optional<double> SlopePercent;
    std::optional<Rating> SlopeRating;
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
