#include "cli/live_watch.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <thread>

#include "cli/command_failure.h"
#include "cli/value_text.h"

namespace {

// Set from the signal handler; the one thing a handler may safely touch.
volatile std::sig_atomic_t StopRequested = 0;

extern "C" void RequestStop(int) {
    StopRequested = 1;
}

struct LiveColumn {
    const char* Name;
    const char* CsvHeader;
    const char* Unit;
};

constexpr LiveColumn Columns[LiveValues::Count] = {
    {"resistance", "resistance_ohm", "ohm"},
    {"temperature", "temperature_c", "C"},
    {"voltage", "voltage_mv", "mV"},
    {"value", "measured_value", ""},
    {"ratio", "ratio", ""},
};

void NoteFault(LiveValues& values, int column, const char* what) {
    values.Faults +=
        std::string(values.Faults.empty() ? "" : "; ") + Columns[column].Name + ": " + what;
}

// A file that cannot take the whole row is an error, never a silently short log.
void WriteRow(std::FILE* file, const std::string& path, const std::string& row) {
    if (std::fputs(row.c_str(), file) < 0 || std::fflush(file) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot write to " + path);
    }
}

std::string CsvRow(const std::string& time, const LiveValues& values) {
    std::string row = time;
    for (int i = 0; i < LiveValues::Count; ++i) {
        row += ',';
        if (values.Present[i]) {
            row += FloatText(values.Values[i]);
        }
    }
    return row + ',' + values.Faults + '\n';
}

std::string TerminalLine(const std::string& time, const LiveValues& values) {
    std::string line = time;
    for (int i = 0; i < LiveValues::Count; ++i) {
        line += std::string("  ") + Columns[i].Name + ' ';
        line += values.Present[i] ? FloatText(values.Values[i]) : "-";
        if (values.Present[i] && Columns[i].Unit[0] != '\0') {
            line += std::string(" ") + Columns[i].Unit;
        }
    }
    if (!values.Faults.empty()) {
        line += "  (" + values.Faults + ")";
    }
    return line;
}

}  // namespace

LiveValues PollLiveValues(Transmitter& link) {
    LiveValues values;
    bool (Transmitter::*const reads[LiveValues::Count])(float&) = {
        &Transmitter::ReadResistance, &Transmitter::ReadTemperature, &Transmitter::ReadVoltage,
        &Transmitter::ReadMeasuredValue, &Transmitter::ReadRatio};
    // Unlike the window's poll, a failed read does not end the poll: a log wants every value
    // that can be had.
    for (int i = 0; i < LiveValues::Count; ++i) {
        float value = 0.0f;
        if (!(link.*reads[i])(value)) {
            NoteFault(values, i, "no reply");
        } else if (IsFaultPattern(value)) {
            NoteFault(values, i, "fault");
        } else {
            values.Values[i] = value;
            values.Present[i] = true;
        }
    }
    return values;
}

std::string UtcTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[40];
    const std::tm* utc = std::gmtime(&seconds);
    std::size_t n = utc != nullptr ? std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", utc) : 0;
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis));
    return text;
}

std::uint64_t WatchLiveValues(Transmitter& link, const WatchOptions& options) {
    std::FILE* csv = nullptr;
    if (!options.CsvPath.empty()) {
        // Append only: an earlier log in the same file is never lost.
        csv = std::fopen(options.CsvPath.c_str(), "ab");
        if (csv == nullptr || std::fseek(csv, 0, SEEK_END) != 0) {
            throw CommandFailure(ExitCode::Usage, "cannot open " + options.CsvPath);
        }
        if (std::ftell(csv) == 0) {
            std::string header = "time";
            for (const LiveColumn& column : Columns) {
                header += std::string(",") + column.CsvHeader;
            }
            WriteRow(csv, options.CsvPath, header + ",fault\n");
        }
    }
    StopRequested = 0;
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options.IntervalSeconds));
    auto next = Clock::now();
    std::uint64_t polls = 0;
    try {
        while (!StopRequested && (options.Count == 0 || polls < options.Count)) {
            if (polls > 0) {
                next += interval;
                // Short naps, so Ctrl-C ends a long interval promptly.
                while (!StopRequested && Clock::now() < next) {
                    std::this_thread::sleep_for(std::min<Clock::duration>(
                        next - Clock::now(), std::chrono::milliseconds(50)));
                }
                if (StopRequested) {
                    break;
                }
            }
            const std::string time = UtcTimestamp();
            const LiveValues values = PollLiveValues(link);
            if (StopRequested) {
                break;
            }
            std::cout << TerminalLine(time, values) << std::endl;
            if (csv != nullptr) {
                WriteRow(csv, options.CsvPath, CsvRow(time, values));
            }
            ++polls;
        }
    } catch (...) {
        if (csv != nullptr) {
            std::fclose(csv);
        }
        throw;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (csv != nullptr && std::fclose(csv) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot write to " + options.CsvPath);
    }
    return polls;
}
