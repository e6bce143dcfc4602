#include "cli/probe_judgement.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calibration/calibration_date.h"
#include "calibration/probe_kind.h"
#include "cli/command_failure.h"
#include "cli/value_text.h"

using nlohmann::json;

const JudgementLimitField JudgementLimitFields[JudgementLimitCount] = {
    {"slope_good_min", &JudgementLimits::SlopeGoodMin, "lowest good slope, % of theoretical"},
    {"slope_good_max", &JudgementLimits::SlopeGoodMax, "highest good slope, %"},
    {"slope_check_min", &JudgementLimits::SlopeCheckMin, "lowest slope worth a check, %"},
    {"slope_check_max", &JudgementLimits::SlopeCheckMax, "highest slope worth a check, %"},
    {"offset_good", &JudgementLimits::OffsetGood, "largest good offset at pH 7, mV"},
    {"offset_check", &JudgementLimits::OffsetCheck, "largest offset worth a check, mV"},
    {"zero_point_good", &JudgementLimits::ZeroPointGood, "largest good distance from pH 7"},
    {"zero_point_check", &JudgementLimits::ZeroPointCheck, "largest distance worth a check"},
    {"age_good", &JudgementLimits::AgeGood, "oldest good calibration, days"},
    {"age_check", &JudgementLimits::AgeCheck, "oldest calibration before recalibrating, days"},
};

void OverrideLimit(JudgementLimits& limits, const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    const std::string name = assignment.substr(0, equals);
    for (const JudgementLimitField& field : JudgementLimitFields) {
        if (equals != std::string::npos && name == field.Name) {
            const char* text = assignment.c_str() + equals + 1;
            char* end = nullptr;
            const double value = std::strtod(text, &end);
            if (*text == '\0' || *end != '\0' || !std::isfinite(value)) {
                throw CommandFailure(ExitCode::Usage, "--limit " + Escaped(assignment) +
                                                          ": the value is not a finite number");
            }
            limits.*field.Field = value;
            return;
        }
    }
    std::string names;
    for (const JudgementLimitField& field : JudgementLimitFields) {
        names += std::string(names.empty() ? "" : ", ") + field.Name;
    }
    throw CommandFailure(ExitCode::Usage, "--limit " + Escaped(assignment) +
                                              ": expected NAME=VALUE with one of " + names);
}

void CheckLimits(const JudgementLimits& l) {
    struct Order {
        double Lower;
        double Upper;
        const char* Text;
    };
    const Order orders[] = {
        {0.0, l.SlopeCheckMin, "slope_check_min must not be negative"},
        {l.SlopeCheckMin, l.SlopeGoodMin, "slope_check_min must not exceed slope_good_min"},
        {l.SlopeGoodMin, l.SlopeGoodMax, "slope_good_min must not exceed slope_good_max"},
        {l.SlopeGoodMax, l.SlopeCheckMax, "slope_good_max must not exceed slope_check_max"},
        {0.0, l.OffsetGood, "offset_good must not be negative"},
        {l.OffsetGood, l.OffsetCheck, "offset_good must not exceed offset_check"},
        {0.0, l.ZeroPointGood, "zero_point_good must not be negative"},
        {l.ZeroPointGood, l.ZeroPointCheck, "zero_point_good must not exceed zero_point_check"},
        {0.0, l.AgeGood, "age_good must not be negative"},
        {l.AgeGood, l.AgeCheck, "age_good must not exceed age_check"},
    };
    for (const Order& order : orders) {
        if (order.Lower > order.Upper) {
            throw CommandFailure(
                ExitCode::Usage,
                std::string("--limit: the limits contradict each other: ") + order.Text);
        }
    }
}

json LimitsJson(const JudgementLimits& limits) {
    json values = json::object();
    for (const JudgementLimitField& field : JudgementLimitFields) {
        values[field.Name] = limits.*field.Field;
    }
    return values;
}

const char* RatingName(Rating rating) {
    switch (rating) {
        case Rating::Good:
            return "good";
        case Rating::Check:
            return "check";
        case Rating::Recalibrate:
            return "recalibrate";
        case Rating::Replace:
            return "replace";
    }
    return "replace";
}

namespace {

// Within the good band, within the band worth a check, or `beyond`.
Rating Within(double value, double goodMin, double goodMax, double checkMin, double checkMax,
              Rating beyond) {
    if (value >= goodMin && value <= goodMax) {
        return Rating::Good;
    }
    if (value >= checkMin && value <= checkMax) {
        return Rating::Check;
    }
    return beyond;
}

Rating Worse(Rating a, Rating b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

}  // namespace

ProbeJudgement JudgeProbe(const TransmitterSettings& settings, const CalendarDay& today,
                          const JudgementLimits& limits) {
    ProbeJudgement judgement;
    if (settings.ProbeKind == ProbeKindPh) {
        const double slope = settings.Sensitivity;
        const double offset = settings.Offset;
        // A slope or offset that is no number (the fault pattern) leaves no calibration to
        // judge the probe by.
        judgement.SlopeRating = Rating::Recalibrate;
        judgement.OffsetRating = Rating::Recalibrate;
        judgement.ZeroPointRating = Rating::Recalibrate;
        if (std::isfinite(slope)) {
            judgement.SlopePercent = slope / TheoreticalSlope * 100.0;
            judgement.SlopeRating =
                Within(*judgement.SlopePercent, limits.SlopeGoodMin, limits.SlopeGoodMax,
                       limits.SlopeCheckMin, limits.SlopeCheckMax, Rating::Replace);
        }
        if (std::isfinite(offset)) {
            judgement.Offset = offset;
            judgement.OffsetRating = Within(std::fabs(offset), 0.0, limits.OffsetGood, 0.0,
                                            limits.OffsetCheck, Rating::Replace);
        }
        if (std::isfinite(slope) && std::isfinite(offset) && slope != 0.0) {
            judgement.ZeroPoint = 7.0 - offset / slope;
            judgement.ZeroPointRating =
                Within(std::fabs(*judgement.ZeroPoint - 7.0), 0.0, limits.ZeroPointGood, 0.0,
                       limits.ZeroPointCheck, Rating::Replace);
        }
        judgement.Overall = Worse(Worse(*judgement.SlopeRating, *judgement.OffsetRating),
                                  *judgement.ZeroPointRating);
    }
    std::optional<CalendarDay> calibrated = DecodeCalibrationDate(settings.CalibrationDate);
    if (calibrated) {
        const long days = DaysBetween(*calibrated, today);
        judgement.DaysSinceCalibration = days;
        // A date in the future is a clock or entry mistake, worth a look rather than a verdict.
        judgement.AgeRating = days < 0 ? Rating::Check
                                       : Within(static_cast<double>(days), 0.0, limits.AgeGood, 0.0,
                                                limits.AgeCheck, Rating::Recalibrate);
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
        {"offset_mv", rounded(judgement.Offset, 10.0)},
        {"offset_rating", rating(judgement.OffsetRating)},
        {"zero_point_ph", rounded(judgement.ZeroPoint, 100.0)},
        {"zero_point_rating", rating(judgement.ZeroPointRating)},
        {"days_since_calibration",
         judgement.DaysSinceCalibration ? json(*judgement.DaysSinceCalibration) : json(nullptr)},
        {"age_rating", RatingName(judgement.AgeRating)},
        {"overall", RatingName(judgement.Overall)}};
}

std::string JudgementSummary(const ProbeJudgement& judgement) {
    std::string line = RatingName(judgement.Overall);
    char text[64];
    if (judgement.SlopeRating) {
        if (judgement.SlopePercent) {
            std::snprintf(text, sizeof text, ": slope %.1f %% ", *judgement.SlopePercent);
        } else {
            std::snprintf(text, sizeof text, ": slope none ");
        }
        line += text + std::string(RatingName(*judgement.SlopeRating));
        if (judgement.Offset) {
            std::snprintf(text, sizeof text, ", offset %.1f mV ", *judgement.Offset);
        } else {
            std::snprintf(text, sizeof text, ", offset none ");
        }
        line += text + std::string(RatingName(*judgement.OffsetRating));
        if (judgement.ZeroPoint) {
            std::snprintf(text, sizeof text, ", zero point pH %.2f ", *judgement.ZeroPoint);
        } else {
            std::snprintf(text, sizeof text, ", zero point none ");
        }
        line += text + std::string(RatingName(*judgement.ZeroPointRating)) + ",";
    } else {
        line += ": ISE probe, slope and zero point not rated;";
    }
    line += judgement.DaysSinceCalibration
                ? " calibrated " + std::to_string(*judgement.DaysSinceCalibration) + " days ago "
                : std::string(" no calibration date ");
    return line + RatingName(judgement.AgeRating);
}
