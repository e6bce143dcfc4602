// qx7ctl calibrate: a two-point probe calibration that waits for each point to be stable and
// says why it is still waiting, then writes what the window program's calibration rules
// compute from it and keeps a record with every sample it waited on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calibration/buffer_check.h"
#include "calibration/buffer_list.h"
#include "calibration/probe_calibration.h"
#include "calibration/probe_kind.h"
#include "calibration/stability_monitor.h"
#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/owned_sensor_list.h"
#include "cli/probe_judgement.h"
#include "cli/read_retry.h"
#include "cli/record_keeping.h"
#include "cli/scaled_clock.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/terminal.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"
#include "records/recorded_point.h"

using nlohmann::json;

namespace {

struct CalibrateOptions {
    LinkOptions Link;
    std::string Buffers = "7.01,4.01";
    std::string Stability = "normal";
    double TimeoutSeconds = 300.0;
    RecordOptions Records;
    bool Yes = false;
    bool Json = false;
    double TimeScale = 1.0;
};

// One of the two solutions: a buffer of the library, whose pH is taken at the measured
// temperature, or a typed standard, taken as it is.
struct Solution {
    std::string Text;
    std::int32_t BufferIndex = -1;
    float Standard = 0.0f;
};

// Every sample from immersion to acceptance; the last HeldCount of them held the limits, and
// the point is their mean.
struct MeasuredPoint {
    std::vector<PointSample> Trace;
    double AcceptedAfter = 0.0;
    std::size_t HeldCount = 0;
    MeasuredMean Mean;
};

// The means over the hold, which the monitor accepted as one settled reading.
void AverageHeld(MeasuredPoint& point) {
    MeasuredMean& mean = point.Mean;
    const std::size_t first = point.Trace.size() - point.HeldCount;
    for (std::size_t i = first; i < point.Trace.size(); ++i) {
        mean.Resistance += point.Trace[i].Resistance;
        mean.Voltage += point.Trace[i].Voltage;
    }
    const double count = static_cast<double>(point.HeldCount);
    mean.Resistance /= count;
    mean.Voltage /= count;
    mean.Samples = static_cast<std::int32_t>(point.HeldCount);
    double squares = 0.0;
    for (std::size_t i = first; i < point.Trace.size(); ++i) {
        squares +=
            (point.Trace[i].Voltage - mean.Voltage) * (point.Trace[i].Voltage - mean.Voltage);
    }
    mean.VoltageSpread = point.HeldCount > 1 ? std::sqrt(squares / (count - 1.0)) : 0.0;
}

const char* const StopMessage = "interrupted; nothing was written to the transmitter";

// The buffers of the library are named "pH 4.01" and so on: a number that names one of them
// means that buffer.
Solution ParseSolution(const std::string& text, const BufferList& buffers) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0.0 || value > 14.0) {
        throw CommandFailure(ExitCode::Usage,
                             Quoted(text) + ": a buffer is a pH from 0 to 14, e.g. 7.01");
    }
    Solution solution;
    solution.Text = text;
    solution.Standard = static_cast<float>(value);
    for (std::int32_t i = 0; i < buffers.GetCount(); ++i) {
        const char* name = buffers.ItemAt(i)->Name;
        if (std::fabs(std::strtod(name + 3, nullptr) - value) < 0.0005) {
            solution.BufferIndex = i;
        }
    }
    return solution;
}

std::vector<Solution> ParseSolutions(const std::string& text, const BufferList& buffers) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw CommandFailure(ExitCode::Usage, "--buffers takes two, e.g. 7.01,4.01");
    }
    return {ParseSolution(text.substr(0, comma), buffers),
            ParseSolution(text.substr(comma + 1), buffers)};
}

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string SolutionName(const Solution& solution) {
    return "pH " + solution.Text + (solution.BufferIndex >= 0 ? " buffer" : " standard");
}

// The preset question of the calibration is answered from --buffers; the writes' returned
// values are kept for the read-back.
class CommandLineView : public CalibrationView {
  public:
    explicit CommandLineView(const std::vector<Solution>& solutions) : Solutions(solutions) {}

    void StepProgress() override {}
    void ResetProgress() override {}
    void GetPreset(std::int32_t point, bool& usePreset, std::int32_t& presetIndex) override {
        presetIndex = Solutions[point == 2 ? 1 : 0].BufferIndex;
        usePreset = presetIndex >= 0;
    }
    void ShowPoint(std::int32_t, const CalibrationPoint&) override {}
    void ShowOffset(float millivolt) override { Offset = millivolt; }
    void ShowSensitivity(float slope) override { Sensitivity = slope; }
    void ShowCalibrationDate(std::uint32_t date) override { Date = date; }

    std::optional<float> Offset;
    std::optional<float> Sensitivity;
    std::optional<std::uint32_t> Date;

  private:
    const std::vector<Solution>& Solutions;
};

// The live status: redrawn in place on a terminal, one line per sample otherwise.
class StatusLine {
  public:
    StatusLine() : InPlace(StandardErrorIsTerminal()) {}

    void Show(const std::string& text) {
        if (InPlace) {
            const std::size_t pad = Width > text.size() ? Width - text.size() : 0;
            std::cerr << '\r' << text << std::string(pad, ' ') << std::flush;
            Width = text.size();
        } else {
            std::cerr << text << '\n';
        }
    }
    // Leaves the status line as it is, and goes on below it.
    void End() {
        if (InPlace && Width > 0) {
            std::cerr << '\n';
        }
        Width = 0;
    }

  private:
    bool InPlace;
    std::size_t Width = 0;
};

std::string StatusText(double seconds, const PointSample& sample, const StabilityStatus& status) {
    std::string text = Fixed(seconds, 0) + " s  " + Fixed(sample.Voltage, 2) + " mV  " +
                       Fixed(sample.Temperature, 2) + " °C";
    text += "  drift " + (status.VoltageDrift ? Fixed(*status.VoltageDrift, 2) : "-") +
            " mV/min  " + (status.TemperatureDrift ? Fixed(*status.TemperatureDrift, 2) : "-") +
            " °C/min";
    text += "  stable in " +
            (status.SecondsToStable ? "~" + Fixed(*status.SecondsToStable, 0) + " s" : "?");
    text += status.Accepted ? "  stable" : "  waiting: " + status.Reason;
    return text;
}

// The answer to a question; a stop request ends the command at once.
std::optional<std::string> Answer() {
    std::string line;
    switch (ReadLineUnlessStopped(line)) {
        case LineRead::Line:
            return line;
        case LineRead::End:
            return std::nullopt;
        case LineRead::Stopped:
            break;
    }
    throw CommandFailure(StopExitCode(), StopMessage);
}

bool AnsweredYes() {
    const std::optional<std::string> answer = Answer();
    return answer && (*answer == "y" || *answer == "Y" || *answer == "yes");
}

void CheckStop() {
    if (StopRequested()) {
        throw CommandFailure(StopExitCode(), StopMessage);
    }
}

class GuidedCalibration {
  public:
    GuidedCalibration(TransmitterLink& link, const CalibrateOptions& options,
                      const StabilityCriteria& criteria)
        : Link(link), Options(options), Criteria(criteria), Clock(options.TimeScale) {}

    // Waits for the probe in the solution, then for stability; the point's samples.
    MeasuredPoint Measure(std::int32_t point, const Solution& solution,
                          const TemperaturePolynomial& polynomial) {
        std::cerr << "point " << point << ": put the probe into the " << SolutionName(solution)
                  << (StandardInputIsTerminal() ? ", then press Enter" : "; waiting for a line")
                  << std::endl;
        if (!Answer()) {
            throw CommandFailure(ExitCode::Usage,
                                 "standard input ended before the probe was ready; nothing "
                                 "was written to the transmitter");
        }
        StabilityMonitor monitor(Criteria);
        StatusLine status;
        const double start = Clock.Seconds();
        for (double due = start;; due += 1.0) {
            if (!Clock.WaitUntil(due)) {
                status.End();
                CheckStop();
            }
            const double seconds = Clock.Seconds() - start;
            std::optional<PointSample> sample = ReadSample(seconds, polynomial);
            if (sample) {
                const StabilityStatus verdict = monitor.Add(*sample);
                status.Show(StatusText(seconds, *sample, verdict));
                if (verdict.Accepted) {
                    status.End();
                    MeasuredPoint measured;
                    measured.Trace = monitor.Samples();
                    measured.HeldCount = monitor.HeldSamples().size();
                    measured.AcceptedAfter = seconds;
                    AverageHeld(measured);
                    return measured;
                }
            }
            if (seconds >= Options.TimeoutSeconds) {
                status.End();
                if (monitor.Samples().empty()) {
                    throw CommandFailure(ExitCode::Communication,
                                         "no valid sample from the transmitter in " +
                                             Fixed(Options.TimeoutSeconds, 0) +
                                             " s; nothing was written to the transmitter");
                }
                throw CommandFailure(ExitCode::No, TimeoutText(monitor.Status()));
            }
        }
    }

  private:
    // A failed read or the transmitter's fault marker costs the second, as in the dialog.
    std::optional<PointSample> ReadSample(double seconds, const TemperaturePolynomial& polynomial) {
        float resistance = 0.0f;
        float voltage = 0.0f;
        if (!ReadWithRetries(Options.Link.Retries,
                             [&] { return Link.ReadResistanceSample(resistance); }) ||
            IsFaultPattern(resistance) ||
            !ReadWithRetries(Options.Link.Retries,
                             [&] { return Link.ReadVoltageSample(voltage); }) ||
            !std::isfinite(voltage)) {
            return std::nullopt;
        }
        PointSample sample;
        sample.Seconds = seconds;
        sample.Voltage = voltage;
        sample.Resistance = resistance;
        sample.Temperature = polynomial.TemperatureAt(resistance);
        return sample;
    }

    std::string TimeoutText(const StabilityStatus& last) const {
        std::string text = "not stable after " + Fixed(Options.TimeoutSeconds, 0) + " s";
        if (last.VoltageDrift && std::fabs(*last.VoltageDrift) > Criteria.DriftLimit) {
            text += ": drift " + Fixed(std::fabs(*last.VoltageDrift), 2) + " mV/min, limit " +
                    Fixed(Criteria.DriftLimit, 2) + " (" +
                    Fixed(std::fabs(*last.VoltageDrift) - Criteria.DriftLimit, 2) + " above)";
        } else if (!last.Reason.empty()) {
            text += ": " + last.Reason;
        }
        return text + "; nothing was written to the transmitter";
    }

    TransmitterLink& Link;
    const CalibrateOptions& Options;
    StabilityCriteria Criteria;
    ScaledClock Clock;
};

// Offset, slope and zero point, each with its rating.
std::vector<std::string> JudgementRows(const TransmitterSettings& settings,
                                       const ProbeJudgement& j) {
    auto rated = [](const std::optional<double>& value, const std::string& text,
                    const std::optional<Rating>& rating) {
        if (!value || !rating) {
            return std::string("-");
        }
        return text + " " + RatingName(*rating);
    };
    return {
        rated(j.Offset, Fixed(settings.Offset, 2) + " mV", j.OffsetRating),
        rated(j.SlopePercent,
              Fixed(settings.Sensitivity, 2) + " mV/pH " +
                  (j.SlopePercent ? Fixed(*j.SlopePercent, 1) : "") + " %",
              j.SlopeRating),
        rated(j.ZeroPoint, "pH " + (j.ZeroPoint ? Fixed(*j.ZeroPoint, 2) : ""), j.ZeroPointRating),
        DateText(settings.CalibrationDate).value_or("none"), RatingName(j.Overall)};
}

void PrintComparison(const TransmitterSettings& found, const TransmitterSettings& left,
                     const CalendarDay& today) {
    const JudgementLimits limits;
    const std::vector<std::string> before = JudgementRows(found, JudgeProbe(found, today, limits));
    const std::vector<std::string> after = JudgementRows(left, JudgeProbe(left, today, limits));
    const char* const names[] = {"offset", "slope", "zero point", "date", "overall"};
    std::printf("%-12s %-32s %s\n", "", "as found", "as left");
    for (std::size_t i = 0; i < before.size(); ++i) {
        std::printf("%-12s %-32s %s\n", names[i], before[i].c_str(), after[i].c_str());
    }
    std::fflush(stdout);
}

// Why a pair of points makes no calibration, by the rules it failed.
std::string RejectionText(const CalibrationPoint& p1, const CalibrationPoint& p2) {
    std::string text = "the two points make no calibration:";
    if (std::fabs(p2.Standard - p1.Standard) < 1.0f) {
        text += " the standards are less than 1 pH apart;";
    }
    if (!(std::fabs(p2.Voltage - p1.Voltage) > 25.0f)) {
        text += " the voltages are not more than 25 mV apart;";
    }
    if (!(std::fabs(p2.Temperature - p1.Temperature) < 2.9815f)) {
        text += " the temperatures are 3 °C or more apart;";
    }
    return text + " nothing was written to the transmitter";
}

json PointJson(const Solution& solution, const CalibrationPoint& point,
               const MeasuredPoint& measured) {
    json trace = json::array();
    for (const PointSample& sample : measured.Trace) {
        trace.push_back({sample.Seconds, sample.Voltage, sample.Temperature});
    }
    return {{"solution", solution.Text},
            {"library_buffer", solution.BufferIndex >= 0},
            {"standard", point.Standard},
            {"temperature", point.Temperature},
            {"voltage", point.Voltage},
            {"stable_after_s", measured.AcceptedAfter},
            {"averaged_samples", measured.HeldCount},
            {"trace", trace}};
}

RecordedPoint TracedPoint(const CalibrationPoint& point, const MeasuredPoint& measured,
                          const BufferList& buffers) {
    RecordedPoint recorded = RecordedPointOf(point, buffers);
    for (const PointSample& sample : measured.Trace) {
        recorded.Trace.Add({static_cast<float>(sample.Seconds), static_cast<float>(sample.Voltage),
                            static_cast<float>(sample.Temperature)});
    }
    return recorded;
}

// What went out and what the transmitter holds afterwards, whether or not all of it went.
bool KeepCalibrationRecord(CalibrationRecord record, const CalibrationWrites& writes,
                           const CalibrationResult& result, TransmitterLink& link, int retries,
                           const RecordOptions& options) {
    const struct {
        bool Written;
        const char* Name;
    } parts[] = {{writes.Offset, "offset"}, {writes.Slope, "slope"}, {writes.Date, "date"}};
    for (const auto& part : parts) {
        if (!part.Written) {
            record.AddFailedWrite(part.Name);
        }
    }
    record.Outcome =
        record.FailedWriteCount == 0 ? RecordOutcome::Written : RecordOutcome::WriteFailed;
    record.Judgement = RateProbe(ProbeKindPh, result.Offset, result.Slope, RatingLimits{});
    record.AsLeft = ReadCalibrationValues(link, retries);
    return KeepRecord(record, options);
}

void Verify(TransmitterLink& link, int retries, const CalibrationResult& result,
            const CommandLineView& view) {
    float offset = NAN;
    float slope = NAN;
    std::uint32_t date = 0;
    const bool read = ReadWithRetries(retries, [&] { return link.ReadOffset(offset); }) &&
                      ReadWithRetries(retries, [&] { return link.ReadSensitivity(slope); }) &&
                      ReadWithRetries(retries, [&] { return link.ReadCalibrationDate(date); });
    if (!view.Offset || !view.Sensitivity || !view.Date || !read || offset != result.Offset ||
        slope != result.Slope || date != result.Date.Word()) {
        throw CommandFailure(ExitCode::Communication,
                             "the calibration was written but reads back as offset " +
                                 FloatText(offset) + " mV, slope " + FloatText(slope) +
                                 " mV/pH, date " + DateText(date).value_or("none") +
                                 ": check the transmitter");
    }
}

int RunCalibrate(CalibrateOptions& options) {
    ResolvePositionals(options.Link, {});
    const std::optional<StabilityCriteria> criteria = ParseStability(options.Stability);
    if (!criteria) {
        throw CommandFailure(
            ExitCode::Usage,
            Quoted(options.Stability) + ": --stability is strict, normal, fast or DRIFT/SECONDS");
    }
    std::unique_ptr<BufferList> buffers(CreateBufferList());
    const std::vector<Solution> solutions = ParseSolutions(options.Buffers, *buffers);
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    OwnedSensorList sensors = MakeSensorList();
    const TransmitterSettings found = ReadSettings(link, *sensors, options.Link.Retries);
    if (found.ProbeKind != 0) {
        throw CommandFailure(ExitCode::Usage,
                             "the transmitter holds an ISE probe; calibrate takes pH buffers");
    }
    const TransmitterFacts facts = ReadFacts(link, "QX7", options.Link.Retries);

    CommandLineView view(solutions);
    const LocalDate clock;
    ProbeCalibration calibration(link, view, *buffers, clock);
    if (!ReadWithRetries(options.Link.Retries, [&] { return calibration.Setup(); })) {
        CheckStop();
        throw CommandFailure(ExitCode::Communication,
                             "no valid probe kind and temperature polynomial to calibrate with");
    }
    GuidedCalibration guided(link, options, *criteria);
    std::vector<MeasuredPoint> measured;
    for (std::int32_t point = 1; point <= 2; ++point) {
        const Solution& solution = solutions[point - 1];
        measured.push_back(guided.Measure(point, solution, calibration.GetPolynomial()));
        const MeasuredMean& mean = measured.back().Mean;
        const bool taken = solution.BufferIndex >= 0
                               ? calibration.TakeMeasuredPoint(point, mean)
                               : calibration.TakeMeasuredPoint(point, solution.Standard, mean);
        const CalibrationPoint& values = calibration.GetPoint(point);
        if (!taken || !values.Valid) {
            throw CommandFailure(ExitCode::Usage, "the point could not be taken");
        }
        std::cerr << "point " << point << " stable after "
                  << Fixed(measured.back().AcceptedAfter, 0) << " s: " << Fixed(values.Voltage, 3)
                  << " mV at " << Fixed(values.Temperature, 2) << " °C, standard pH "
                  << Fixed(values.Standard, 3) << std::endl;

        const BufferGuess guess = GuessBuffer(*buffers, values.Voltage, values.Temperature,
                                              found.Offset, found.Sensitivity);
        if (IsOtherBuffer(guess, values.Standard)) {
            std::cerr << "the probe reads like " << guess.Nearest->Name << ", not " << solution.Text
                      << " (pH " << Fixed(guess.Ph, 2)
                      << " with its present slope and offset): continue? [y/N] " << std::flush;
            if (!AnsweredYes()) {
                CheckStop();
                throw CommandFailure(ExitCode::No, "nothing was written to the transmitter");
            }
        }
    }

    if (!calibration.AcceptPoints()) {
        throw CommandFailure(ExitCode::No,
                             RejectionText(calibration.GetPoint(1), calibration.GetPoint(2)));
    }
    const CalibrationResult result = calibration.ComputeCalibration();
    TransmitterSettings left = found;
    left.Offset = result.Offset;
    left.Sensitivity = result.Slope;
    left.CalibrationDate = result.Date.Word();
    const CalendarDay today = clock.Today();
    json report = {{"operator", options.Records.Operator},
                   {"stability", options.Stability},
                   {"points", json::array()},
                   {"as_found",
                    {{"offset", ShortestDouble(found.Offset)},
                     {"sensitivity", ShortestDouble(found.Sensitivity)},
                     {"calibration_date", DateText(found.CalibrationDate).value_or("none")}}},
                   {"as_left",
                    {{"offset", ShortestDouble(result.Offset)},
                     {"sensitivity", ShortestDouble(result.Slope)},
                     {"calibration_date", DateText(result.Date.Word()).value_or("none")}}},
                   {"written", false}};
    for (std::int32_t point = 1; point <= 2; ++point) {
        report["points"].push_back(
            PointJson(solutions[point - 1], calibration.GetPoint(point), measured[point - 1]));
    }
    if (!options.Json) {
        PrintComparison(found, left, today);
    }

    CheckStop();
    if (!options.Yes) {
        std::cerr << "write offset, slope and date to the transmitter? [y/N] " << std::flush;
        if (!AnsweredYes()) {
            CheckStop();
            if (options.Json) {
                std::cout << report.dump(2) << std::endl;
            }
            std::cerr << "nothing was written to the transmitter" << std::endl;
            return ExitCode::No;
        }
    }
    CheckStop();
    // From here the three writes go out together: a stop now would leave half a calibration.
    const CalibrationWrites writes = calibration.WriteCalibration(result);
    CalibrationRecord record;
    record.Event = RecordEvent::Calibration;
    record.Device = facts.Device;
    record.AsFound = facts.Calibration;
    for (std::int32_t point = 1; point <= 2; ++point) {
        record.AddPoint(TracedPoint(calibration.GetPoint(point), measured[point - 1], *buffers));
    }
    const bool kept = KeepCalibrationRecord(std::move(record), writes, result, link,
                                            options.Link.Retries, options.Records);
    Verify(link, options.Link.Retries, result, view);
    report["written"] = true;
    if (options.Json) {
        std::cout << report.dump(2) << std::endl;
    }
    std::cerr << "written and read back: offset " << FloatText(result.Offset) << " mV, slope "
              << FloatText(result.Slope) << " mV/pH, date "
              << DateText(result.Date.Word()).value_or("none") << std::endl;
    if (!kept && StopExitCode() == ExitCode::Success) {
        return ExitCode::RecordNotKept;
    }
    return StopExitCode();
}

std::string TimeoutProblem(const std::string& text) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0 ||
        seconds > 86400.0) {
        return "the time-out must be a number of seconds above 0 and at most 86400";
    }
    return "";
}

std::string ScaleProblem(const std::string& text) {
    char* end = nullptr;
    const double scale = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(scale) || scale < 1.0 || scale > 1000.0) {
        return "the time scale must be a number from 1 to 1000";
    }
    return "";
}

}  // namespace

CommandRun DefineCalibrateCommand(CLI::App& command) {
    auto options = std::make_shared<CalibrateOptions>();
    AddLinkOptions(command, options->Link);
    command.add_option("--buffers", options->Buffers,
                       "the two solutions, in order (default 7.01,4.01); 4.01, 6.86, 7.01, 9.18 "
                       "and 10.01 are the library's buffers, taken at the measured temperature; "
                       "any other pH is a standard taken as it is");
    command.add_option("--stability", options->Stability,
                       "strict (0.2 mV/min for 30 s), normal (0.5 for 20 s, the default), fast "
                       "(1.0 for 10 s) or DRIFT/SECONDS");
    command
        .add_option("--timeout", options->TimeoutSeconds,
                    "seconds per point without stability before giving up (default 300)")
        ->check(CLI::Validator(TimeoutProblem, "SECONDS"));
    AddRecordOptions(command, options->Records);
    command.add_flag("--yes", options->Yes, "write the result without asking");
    command.add_flag("--json", options->Json,
                     "print the points with their raw traces and the result as JSON");
    command
        .add_option("--time-scale", options->TimeScale,
                    "run the clock this many times faster (for a simulator settling as fast)")
        ->check(CLI::Validator(ScaleProblem, "FACTOR"))
        ->group("");
    return [options] { return RunCalibrate(*options); };
}
