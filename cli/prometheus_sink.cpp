#include "cli/prometheus_sink.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "cli/atomic_file.h"
#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/utc_time.h"
#include "cli/value_text.h"

namespace {

using Transmitter = PrometheusSink::Transmitter;

// Inside the quotes of a label value a backslash, a quote and a line end take a backslash;
// any other control character becomes the text \xNN, so the file stays printable.
std::string LabelValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\" + Escaped(std::string(1, c));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Labels(const Transmitter& t, const std::string& extra = "") {
    return "{serial=\"" + std::to_string(t.SerialNumber) + "\",port=\"" + LabelValue(t.Port) +
           "\"" + extra + "}";
}

// A sample is left out when there is no finite value: the series then goes stale in
// Prometheus instead of holding a value that is no longer true.
using Sample = std::function<std::optional<double>(const Transmitter&)>;

struct Family {
    const char* Name;
    const char* Type;
    const char* Help;
    Sample Value;
};

std::string Number(double value) {
    return DoubleText(value);
}

void AddFamily(std::string& text, const std::vector<Transmitter>& transmitters,
               const Family& family) {
    text += std::string("# HELP ") + family.Name + ' ' + family.Help + '\n';
    text += std::string("# TYPE ") + family.Name + ' ' + family.Type + '\n';
    for (const Transmitter& t : transmitters) {
        const std::optional<double> value = family.Value(t);
        if (value && std::isfinite(*value)) {
            text += family.Name + Labels(t) + ' ' + Number(*value) + '\n';
        }
    }
}

// Prometheus names carry base units: millivolts are given as volts.
Sample LiveValue(int column, double scale = 1.0) {
    return [column, scale](const Transmitter& t) -> std::optional<double> {
        if (!t.Last || !t.Last->Values.Present[column]) {
            return std::nullopt;
        }
        return ShortestDouble(t.Last->Values.Values[column]) * scale;
    };
}

Sample Judged(std::optional<double> ProbeJudgement::*part, double scale = 1.0) {
    return [part, scale](const Transmitter& t) -> std::optional<double> {
        const std::optional<double> value = t.Judgement ? (*t.Judgement).*part : std::nullopt;
        return value ? std::optional<double>(*value * scale) : std::nullopt;
    };
}

std::optional<double> Level(const std::optional<Rating>& rating) {
    return rating ? std::optional<double>(static_cast<int>(*rating)) : std::nullopt;
}

// One family with a part label: each transmitter's overall rating and the rating of each
// part, 0 good, 1 check, 2 recalibrate, 3 replace.
void AddRatings(std::string& text, const std::vector<Transmitter>& transmitters) {
    text +=
        "# HELP qx7_probe_rating The probe's rating: 0 good, 1 check, 2 recalibrate, 3 "
        "replace.\n# TYPE qx7_probe_rating gauge\n";
    for (const Transmitter& t : transmitters) {
        if (!t.Judgement) {
            continue;
        }
        const ProbeJudgement& j = *t.Judgement;
        const std::pair<const char*, std::optional<double>> parts[] = {
            {"overall", Level(j.Overall)},
            {"slope", Level(j.SlopeRating)},
            {"offset", Level(j.OffsetRating)},
            {"zero_point", Level(j.ZeroPointRating)},
            {"age", Level(j.AgeRating)}};
        for (const auto& [part, level] : parts) {
            if (level) {
                text += "qx7_probe_rating" + Labels(t, std::string(",part=\"") + part + "\"") +
                        ' ' + Number(*level) + '\n';
            }
        }
    }
}

}  // namespace

PrometheusSink::PrometheusSink(const std::string& path) : Path(path) {
    CheckOutputPath(path);
}

void PrometheusSink::Info(const TransmitterInfo& info) {
    std::lock_guard<std::mutex> lock(Guard);
    Of(info.Port, info.Settings.SerialNumber).Judgement = info.Judgement;
    Replace();
}

void PrometheusSink::Poll(const LivePoll& poll) {
    std::lock_guard<std::mutex> lock(Guard);
    Transmitter& t = Of(poll.Port, poll.SerialNumber);
    t.Last = poll;
    ++t.Polls;
    t.FailedPolls += poll.Values.Failed ? 1 : 0;
    t.Faults += static_cast<std::uint64_t>(poll.Values.FaultCount);
    Replace();
}

std::string PrometheusSink::Text(const std::vector<Transmitter>& transmitters) {
    const Family families[] = {
        {"qx7_resistance_ohms", "gauge", "The temperature sensor's resistance.", LiveValue(0)},
        {"qx7_temperature_celsius", "gauge", "The temperature.", LiveValue(1)},
        {"qx7_voltage_volts", "gauge", "The probe's voltage.", LiveValue(2, 0.001)},
        {"qx7_measured_value", "gauge", "The measured value: pH, or an ISE probe's concentration.",
         LiveValue(3)},
        {"qx7_ratio", "gauge", "The measured value's place in the output range, 0 to 1.",
         LiveValue(4)},
        {"qx7_up", "gauge", "1 when the last poll got a reply to every read, 0 otherwise.",
         [](const Transmitter& t) -> std::optional<double> {
             return t.Last ? std::optional<double>(t.Last->Values.Failed ? 0 : 1) : std::nullopt;
         }},
        {"qx7_last_poll_timestamp_seconds", "gauge", "When the last poll began, in Unix time.",
         [](const Transmitter& t) -> std::optional<double> {
             const std::optional<std::int64_t> millis =
                 t.Last ? UnixMillisecondsOf(t.Last->Time) : std::nullopt;
             return millis ? std::optional<double>(*millis / 1000.0) : std::nullopt;
         }},
        {"qx7_polls_total", "counter", "Polls of the five live values.",
         [](const Transmitter& t) { return std::optional<double>(t.Polls); }},
        {"qx7_failed_polls_total", "counter",
         "Polls in which a read got no valid reply after its retries.",
         [](const Transmitter& t) { return std::optional<double>(t.FailedPolls); }},
        {"qx7_faults_total", "counter",
         "Live values that did not come: a fault pattern or no valid reply.",
         [](const Transmitter& t) { return std::optional<double>(t.Faults); }},
        {"qx7_probe_slope_percent", "gauge", "The probe's slope in percent of -59.16 mV/pH.",
         Judged(&ProbeJudgement::SlopePercent)},
        {"qx7_probe_offset_volts", "gauge", "The probe's offset, its voltage at pH 7.",
         Judged(&ProbeJudgement::Offset, 0.001)},
        {"qx7_probe_zero_point_ph", "gauge", "The pH at which the probe gives 0 mV.",
         Judged(&ProbeJudgement::ZeroPoint)},
        {"qx7_calibration_age_seconds", "gauge",
         "Time since the probe's last calibration, in whole days.",
         [](const Transmitter& t) -> std::optional<double> {
             return t.Judgement && t.Judgement->DaysSinceCalibration
                        ? std::optional<double>(*t.Judgement->DaysSinceCalibration * 86400.0)
                        : std::nullopt;
         }},
    };
    std::string text;
    for (const Family& family : families) {
        AddFamily(text, transmitters, family);
    }
    AddRatings(text, transmitters);
    return text;
}

PrometheusSink::Transmitter& PrometheusSink::Of(const std::string& port,
                                                std::int32_t serialNumber) {
    for (Transmitter& t : Transmitters) {
        if (t.Port == port) {
            t.SerialNumber = serialNumber;
            return t;
        }
    }
    Transmitters.push_back(Transmitter{port, serialNumber, {}, {}, 0, 0, 0});
    return Transmitters.back();
}

void PrometheusSink::Replace() {
    std::string problem;
    if (!ReplaceWholeFile(Path, Text(Transmitters), problem)) {
        throw CommandFailure(ExitCode::Usage, "cannot replace " + Escaped(Path) + ": " + problem);
    }
}
