// qx7ctl history: a transmitter's calibration log, newest first, with the slope's trend, and
// the check of the log's hash chain.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "calibration/calibration_date.h"
#include "calibration/probe_kind.h"
#include "calibration/probe_rating.h"
#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/record_keeping.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"
#include "records/chain_check.h"
#include "records/record_log.h"
#include "records/slope_trend.h"

using nlohmann::json;

namespace {

struct HistoryOptions {
    std::string Target;
    RecordOptions Records;
    int Retries = 2;
    bool Json = false;
    bool Verify = false;
};

// A serial number as given, or the serial number of the transmitter on a port.
std::int32_t SerialNumberOf(const HistoryOptions& options) {
    const std::string& target = options.Target;
    if (!target.empty() && target.find_first_not_of("0123456789") == std::string::npos &&
        target.size() < 10) {
        return static_cast<std::int32_t>(std::stol(target));
    }
    TransmitterLink link;
    ConnectTransmitter(link, target, options.Retries);
    std::int32_t serialNumber = 0;
    if (!link.ReadSerialNumber(serialNumber)) {
        throw CommandFailure(ExitCode::Communication, "no valid reply reading the serial number");
    }
    return serialNumber;
}

// The slope's judgement of a record: its own where it has one (with the limits it used),
// otherwise that of its as-left values against the default limits.
struct RecordRating {
    bool Known = false;
    double SlopePercent = 0.0;
    bool HasZeroPoint = false;
    double ZeroPoint = 0.0;
    std::string Verdict;
};

RecordRating RatingOf(const json& record) {
    RecordRating rating;
    const json& judgement = record["judgement"];
    if (judgement.is_object() && judgement["slope_percent"].is_number()) {
        rating.Known = true;
        rating.SlopePercent = judgement["slope_percent"].get<double>();
        rating.HasZeroPoint = judgement["zero_point_ph"].is_number();
        rating.ZeroPoint = rating.HasZeroPoint ? judgement["zero_point_ph"].get<double>() : 0.0;
        rating.Verdict = judgement.value("overall", "");
        return rating;
    }
    const json& left = record["as_left"];
    if (!left.is_object() || left["probe_kind"] != "pH" || !left["offset_mv"].is_number() ||
        !left["slope_mv"].is_number()) {
        return rating;
    }
    const ProbeRating rated = RateProbe(ProbeKindPh, left["offset_mv"].get<float>(),
                                        left["slope_mv"].get<float>(), RatingLimits{});
    rating.Known = true;
    rating.SlopePercent = rated.SlopePercent;
    rating.HasZeroPoint = rated.HasZeroPoint;
    rating.ZeroPoint = rated.ZeroPoint;
    rating.Verdict = RatingLevelName(rated.Overall);
    return rating;
}

bool IsWrittenCalibration(const json& record) {
    return record["event"] == "calibration" && record["outcome"]["result"] == "written";
}

std::string DayText(std::int64_t day) {
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned dayOfMonth = 0;
    DateOfDay(day, year, month, dayOfMonth);
    char text[32];
    std::snprintf(text, sizeof text, "%04" PRId64 "-%02u-%02u", year, month, dayOfMonth);
    return text;
}

struct Trend {
    SlopeTrend Slope;
    std::size_t Calibrations = 0;
};

// The trend of the written pH calibrations, oldest first.
Trend TrendOfLog(const std::vector<LoggedRecord>& log) {
    std::vector<SlopeObservation> observations;
    RatingLimits limits;
    for (const LoggedRecord& entry : log) {
        const RecordRating rating = RatingOf(entry.Record);
        std::int64_t day = 0;
        if (!IsWrittenCalibration(entry.Record) || !rating.Known ||
            !entry.Record["time"].is_string() ||
            !DayOfTimestamp(entry.Record["time"].get<std::string>().c_str(), day)) {
            continue;
        }
        observations.push_back({day, rating.SlopePercent});
        const json& used = entry.Record["judgement"]["limits"];
        if (used.is_object()) {
            limits.SlopeCheckMin = used.value("slope_check_min", limits.SlopeCheckMin);
            limits.SlopeCheckMax = used.value("slope_check_max", limits.SlopeCheckMax);
        }
    }
    Trend trend;
    trend.Calibrations = observations.size();
    trend.Slope = TrendOf(observations.data(), observations.size(), limits.SlopeCheckMin,
                          limits.SlopeCheckMax);
    return trend;
}

std::string TrendText(const Trend& trend) {
    if (!trend.Slope.Known) {
        return "trend: needs three calibrations on different days (" +
               std::to_string(trend.Calibrations) + " so far)";
    }
    char text[200];
    const std::size_t used = trend.Calibrations < TrendWindow ? trend.Calibrations : TrendWindow;
    std::snprintf(text, sizeof text,
                  "trend: slope %+.2f %% per month over the last %zu calibrations",
                  trend.Slope.PercentPerMonth, used);
    std::string line = text;
    if (trend.Slope.Crosses) {
        std::snprintf(text, sizeof text, "; at that rate it reaches %.0f %% (replace) on ",
                      trend.Slope.Limit);
        line += text + DayText(trend.Slope.CrossingDay);
    } else {
        line += "; the slope holds steady";
    }
    return line;
}

json TrendJson(const Trend& trend) {
    if (!trend.Slope.Known) {
        return nullptr;
    }
    return {
        {"slope_percent_per_month", std::round(trend.Slope.PercentPerMonth * 1000) / 1000},
        {"calibrations", trend.Calibrations},
        {"replace_limit_percent", trend.Slope.Crosses ? json(trend.Slope.Limit) : json(nullptr)},
        {"reaches_limit_on",
         trend.Slope.Crosses ? json(DayText(trend.Slope.CrossingDay)) : json(nullptr)}};
}

std::string Column(const json& value, const char* none = "-") {
    if (value.is_string()) {
        return Escaped(value.get<std::string>());
    }
    if (value.is_number()) {
        return value.dump();
    }
    return none;
}

void PrintTable(const std::vector<LoggedRecord>& log) {
    std::printf("%-4s %-20s %-16s %-12s %10s %7s %7s %-8s %s\n", "seq", "time (UTC)", "event",
                "result", "slope mV", "slope%", "zero pH", "verdict", "operator");
    for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
        const json& record = entry->Record;
        const RecordRating rating = RatingOf(record);
        char percent[16] = "-";
        char zero[16] = "-";
        if (rating.Known) {
            std::snprintf(percent, sizeof percent, "%.1f", rating.SlopePercent);
            if (rating.HasZeroPoint) {
                std::snprintf(zero, sizeof zero, "%.2f", rating.ZeroPoint);
            }
        }
        const json& left = record["as_left"];
        std::printf("%-4s %-20s %-16s %-12s %10s %7s %7s %-8s %s\n", Column(record["seq"]).c_str(),
                    Column(record["time"]).c_str(), Column(record["event"]).c_str(),
                    Column(record["outcome"]["result"]).c_str(),
                    Column(left.is_object() ? left["slope_mv"] : json()).c_str(), percent, zero,
                    rating.Known ? rating.Verdict.c_str() : "-",
                    Column(record["operator"]).c_str());
    }
}

// The chain check: 0 when intact, 1 naming the first line that breaks it.
json CheckLog(const std::string& folder, std::int32_t serialNumber, int& code) {
    Text text;
    if (!RecordLog(folder.c_str()).Read(serialNumber, text)) {
        throw CommandFailure(ExitCode::Usage,
                             Quoted(LogPath(folder, serialNumber)) + " cannot be read");
    }
    const ChainReport report = CheckChain(text.Data(), text.Size());
    if (report.Fault == ChainFault::Unchecked) {
        throw CommandFailure(ExitCode::Usage, "this build has no SHA-256 to check the log with");
    }
    code = report.Fault == ChainFault::None ? ExitCode::Success : ExitCode::No;
    return {{"intact", report.Fault == ChainFault::None},
            {"lines", report.Lines},
            {"fault",
             report.Fault == ChainFault::None ? json(nullptr) : json(ChainFaultName(report.Fault))},
            {"line", report.Fault == ChainFault::None ? json(nullptr) : json(report.Line)}};
}

std::string ChainText(const json& chain) {
    if (chain["intact"].get<bool>()) {
        return "chain intact: " + chain["lines"].dump() + " lines";
    }
    const std::string line = chain["line"].dump();
    const std::string fault = chain["fault"].get<std::string>();
    if (fault == "removed") {
        return "chain broken: a line was removed before line " + line;
    }
    return "chain broken: line " + line + " was " + fault;
}

int RunHistory(HistoryOptions& options) {
    if (options.Target.empty()) {
        throw CommandFailure(ExitCode::Usage, "SERIAL or PORT is required");
    }
    const std::int32_t serialNumber = SerialNumberOf(options);
    const std::string folder = RecordsFolderOf(options.Records);
    int code = ExitCode::Success;
    json chain;
    if (options.Verify) {
        chain = CheckLog(folder, serialNumber, code);
        // A broken log is still shown, as far as its lines read as records.
    }
    std::vector<LoggedRecord> log;
    try {
        log = ReadLog(folder, serialNumber);
    } catch (const CommandFailure& failure) {
        if (!options.Verify || failure.Code != ExitCode::No) {
            throw;
        }
        std::cerr << "qx7ctl: " << failure.what() << '\n';
    }
    const Trend trend = TrendOfLog(log);
    if (options.Json) {
        json records = json::array();
        for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
            records.push_back(entry->Record);
        }
        json out = {{"serial_number", serialNumber},
                    {"log", LogPath(folder, serialNumber)},
                    {"records", records},
                    {"trend", TrendJson(trend)}};
        if (options.Verify) {
            out["chain"] = chain;
        }
        std::cout << out.dump(2) << '\n';
        return code;
    }
    std::cout << "calibration log of serial number " << serialNumber << ": "
              << Escaped(LogPath(folder, serialNumber)) << '\n';
    if (log.empty()) {
        std::cout << "no records\n";
    } else {
        PrintTable(log);
        std::cout << TrendText(trend) << '\n';
    }
    if (options.Verify) {
        std::cout << ChainText(chain) << '\n';
    }
    return code;
}

}  // namespace

CommandRun DefineHistoryCommand(CLI::App& command) {
    auto options = std::make_shared<HistoryOptions>();
    command.add_option("SERIAL_OR_PORT", options->Target,
                       "a serial number, or the port of the transmitter whose log to show");
    AddRecordOptions(command, options->Records);
    command.add_flag("--json", options->Json, "the records and the trend as JSON");
    command.add_flag("--verify", options->Verify,
                     "check the log's hash chain; exit code 1 names the first line changed, "
                     "removed or inserted");
    return [options] { return RunHistory(*options); };
}
