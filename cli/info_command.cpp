// qx7ctl info: identity, every setting and the probe judgement; --check for monitoring.
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "calibration/calibration_date.h"
#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/live_watch.h"
#include "cli/owned_sensor_list.h"
#include "cli/probe_judgement.h"
#include "cli/setting_keys.h"
#include "cli/settings_file.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"
#include "link/wire_value.h"

using nlohmann::json;

namespace {

// Raised whenever a key of the report changes meaning or goes; new keys keep it.
constexpr int InfoSchemaVersion = 2;

struct InfoOptions {
    LinkOptions Link;
    bool Json = false;
    bool Check = false;
    std::vector<std::string> Limits;
    // YYYY-MM-DD; empty for the computer's date. Makes the age of a calibration reproducible.
    std::string Today;
};

CalendarDay TodayFrom(const std::string& text) {
    if (text.empty()) {
        return LocalDate().Today();
    }
    const std::optional<std::uint32_t> word = ParseDate(text);
    if (!word) {
        throw CommandFailure(ExitCode::Usage,
                             "--today: " + Quoted(text) + " is not a real date YYYY-MM-DD");
    }
    return *DecodeCalibrationDate(*word);
}

std::string FloatReading(float value, const char* unit) {
    if (std::isfinite(value)) {
        return FloatText(value) + unit;
    }
    return (IsFaultPattern(value) ? "no valid value (bytes " : "not a number (bytes ") +
           WireBytes(BitsOf(value), 4) + ")";
}

std::string DateReading(std::uint32_t word) {
    const std::optional<std::string> text = DateText(word);
    if (!text) {
        return "none";
    }
    if (!DecodeCalibrationDate(word)) {
        return *text + " (not a real date; bytes " + WireBytes(word, 4) + ")";
    }
    return *text;
}

std::string ByteReading(std::uint8_t value, std::uint8_t highest) {
    return std::to_string(value) +
           (value > highest ? " (outside 0 to " + std::to_string(highest) + ")" : "");
}

std::string RatedText(const std::optional<double>& value, const char* format,
                      const std::optional<Rating>& rating) {
    if (!rating) {
        return "not rated for an ISE probe";
    }
    if (!value) {
        return std::string("no valid value  ") + RatingName(*rating);
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return std::string(text) + "  " + RatingName(*rating);
}

void PrintInfo(const TransmitterSettings& s, const ProbeJudgement& j) {
    std::cout << "identity             " << Escaped(s.Identity) << '\n'
              << "firmware             " << VersionText(s.Firmware) << '\n'
              << "serial number        " << s.SerialNumber << '\n'
              << "output type          " << OutputTypeName(s.OutputType) << '\n'
              << "probe kind           " << ProbeKindName(s.ProbeKind)
              << (s.ProbeKind > 1 ? " (byte " + WireBytes(s.ProbeKind, 1) + ")" : "") << '\n'
              << "calibration date     " << DateReading(s.CalibrationDate) << '\n'
              << "offset               " << FloatReading(s.Offset, " mV") << '\n'
              << "slope                " << FloatReading(s.Sensitivity, " mV per unit") << '\n'
              << "input damping        " << ByteReading(s.InputDamping, MaxDamping) << '\n'
              << "temperature damping  " << ByteReading(s.TemperatureDamping, MaxDamping) << '\n'
              << "range                " << FloatReading(s.RangeMin, "") << " to "
              << FloatReading(s.RangeMax, "") << '\n'
              << "sensor               " << s.Sensor;
    if (s.Sensor == UnknownSensor) {
        std::cout << " (degree " << int{s.Polynomial.Degree} << ", coefficients";
        for (float c : s.Polynomial.Coefficients) {
            std::cout << ' ' << FloatText(c);
        }
        std::cout << ')';
    }
    std::cout << "\nprobe judgement\n"
              << "  slope              "
              << RatedText(j.SlopePercent, "%.1f %% of -59.16 mV/pH", j.SlopeRating) << '\n'
              << "  offset             " << RatedText(j.Offset, "%.1f mV", j.OffsetRating) << '\n'
              << "  zero point         " << RatedText(j.ZeroPoint, "pH %.2f", j.ZeroPointRating)
              << '\n'
              << "  calibration age    "
              << (j.DaysSinceCalibration ? std::to_string(*j.DaysSinceCalibration) + " days"
                                         : std::string("no date"))
              << "  " << RatingName(j.AgeRating) << '\n'
              << "  overall            " << RatingName(j.Overall) << std::endl;
}

int RunInfo(InfoOptions& options) {
    ResolvePositionals(options.Link, {});
    JudgementLimits limits;
    for (const std::string& assignment : options.Limits) {
        OverrideLimit(limits, assignment);
    }
    CheckLimits(limits);
    const CalendarDay today = TodayFrom(options.Today);
    OwnedSensorList sensors = MakeSensorList();
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    const std::string readAt = UtcTimestamp();
    const TransmitterSettings settings = ReadSettings(link, *sensors, options.Link.Retries);
    const ProbeJudgement judgement = JudgeProbe(settings, today, limits);
    if (options.Json) {
        json report = TransmitterJson(settings);
        report["schema_version"] = InfoSchemaVersion;
        report["read_at"] = readAt;
        report["limits"] = LimitsJson(limits);
        report["judgement"] = JudgementJson(judgement);
        std::cout << report.dump(2) << std::endl;
    } else if (options.Check) {
        std::cout << "QX7 " << settings.SerialNumber << ' ' << JudgementSummary(judgement)
                  << std::endl;
    } else {
        PrintInfo(settings, judgement);
    }
    if (options.Check && judgement.Overall != Rating::Good) {
        return ExitCode::No;
    }
    return ExitCode::Success;
}

}  // namespace

CommandRun DefineInfoCommand(CLI::App& command) {
    auto options = std::make_shared<InfoOptions>();
    AddLinkOptions(command, options->Link);
    command.add_flag("--json", options->Json, "print JSON on standard output");
    command.add_flag("--check", options->Check,
                     "one summary line; exit 0 when the probe is good, 1 otherwise");
    std::string names;
    for (const JudgementLimitField& field : JudgementLimitFields) {
        names += std::string(names.empty() ? "" : ", ") + field.Name;
    }
    command.add_option("--limit", options->Limits,
                       "override a judgement limit, NAME=VALUE (" + names + ")");
    command.add_option("--today", options->Today,
                       "judge the calibration's age as of this date, YYYY-MM-DD");
    return [options] { return RunInfo(*options); };
}
