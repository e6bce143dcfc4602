#include "cli/probe_judgement.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "calibration/probe_kind.h"
#include "cli/command_failure.h"
#include "cli/value_text.h"

using nlohmann::json;

JudgementLimits::JudgementLimits()
    : Limits{
          {"slope_good_min", 90.0, "lowest good slope, % of theoretical"},
          {"slope_good_max", 105.0, "highest good slope, %"},
          {"slope_check_min", 80.0, "lowest slope still worth a check, %"},
          {"slope_check_max", 110.0, "highest slope still worth a check, %"},
          {"offset_good", 30.0, "largest good offset from 0 mV at pH 7, mV"},
          {"offset_check", 60.0, "largest offset still worth a check, mV"},
          {"age_good", 90.0, "oldest good calibration, days"},
          {"age_check", 365.0, "oldest calibration still worth a check, days"},
      } {}

void JudgementLimits::Override(const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    const std::string name = assignment.substr(0, equals);
    for (JudgementLimit& limit : Limits) {
        if (equals != std::string::npos && name == limit.Name) {
            const char* text = assignment.c_str() + equals + 1;
            char* end = nullptr;
            const double value = std::strtod(text, &end);
            if (*text == '\0' || *end != '\0' || !std::isfinite(value)) {
                throw CommandFailure(ExitCode::Usage,
                                     "--limit " + assignment + ": the value is not a number");
            }
            limit.Value = value;
            return;
        }
    }
    std::string names;
    for (const JudgementLimit& limit : Limits) {
        names += std::string(names.empty() ? "" : ", ") + limit.Name;
    }
    throw CommandFailure(ExitCode::Usage,
                         "--limit " + assignment + ": expected NAME=VALUE with one of " + names);
}

double JudgementLimits::operator[](const char* name) const {
    for (const JudgementLimit& limit : Limits) {
        if (std::strcmp(name, limit.Name) == 0) {
            return limit.Value;
        }
    }
    return 0.0;
}

const char* RatingName(Rating rating) {
    switch (rating) {
        case Rating::Good:
            return "good";
        case Rating::Check:
            return "check";
        case Rating::Replace:
            return "replace";
    }
    return "replace";
}

namespace {

Rating Within(double value, double goodMin, double goodMax, double checkMin, double checkMax) {
    if (value >= goodMin && value <= goodMax) {
        return Rating::Good;
    }
    if (value >= checkMin && value <= checkMax) {
        return Rating::Check;
    }
    return Rating::Replace;
}

Rating Worse(Rating a, Rating b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

}  // namespace

ProbeJudgement JudgeProbe(const TransmitterSettings& settings, const CalendarDay& today,
                          const JudgementLimits& limits) {
    ProbeJudgement judgement;
    if ((settings.ProbeKind & 1) == ProbeKindPh) {
        const double slope = settings.Sensitivity;
        const double percent = slope / TheoreticalSlope * 100.0;
        judgement.SlopePercent = percent;
        judgement.SlopeRating = Within(percent, limits["slope_good_min"], limits["slope_good_max"],
                                       limits["slope_check_min"], limits["slope_check_max"]);
        if (slope != 0.0) {
            judgement.ZeroPoint = 7.0 - settings.Offset / slope;
        }
        const double offset = std::fabs(settings.Offset);
        judgement.ZeroPointRating =
            Within(offset, 0.0, limits["offset_good"], 0.0, limits["offset_check"]);
        judgement.Overall = Worse(*judgement.SlopeRating, *judgement.ZeroPointRating);
    }
    std::optional<CalendarDay> calibrated = DayOfDate(settings.CalibrationDate);
    if (calibrated) {
        const long days = DaysBetween(*calibrated, today);
        judgement.DaysSinceCalibration = days;
        // A date in the future is a clock or entry mistake, worth a look rather than a verdict.
        judgement.AgeRating = days < 0 ? Rating::Check
                                       : Within(static_cast<double>(days), 0.0, limits["age_good"],
                                                0.0, limits["age_check"]);
    }
    judgement.Overall = Worse(judgement.Overall, judgement.AgeRating);
    return judgement;
}

json JudgementJson(const ProbeJudgement& judgement) {
    auto rounded = [](const std::optional<double>& value, double scale) -> json {
        return value ? json(std::round(*value * scale) / scale) : json(nullptr);
    };
    auto rating = [](const std::optional<Rating>& value) -> json {
        return value ? json(RatingName(*value)) : json(nullptr);
    };
    return {
        {"slope_percent", rounded(judgement.SlopePercent, 10.0)},
        {"slope_rating", rating(judgement.SlopeRating)},
        {"zero_point_ph", rounded(judgement.ZeroPoint, 100.0)},
        {"zero_point_rating", rating(judgement.ZeroPointRating)},
        {"days_since_calibration",
         judgement.DaysSinceCalibration ? json(*judgement.DaysSinceCalibration) : json(nullptr)},
        {"age_rating", RatingName(judgement.AgeRating)},
        {"overall", RatingName(judgement.Overall)}};
}
