#include "cli/live_watch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <thread>

#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/read_retry.h"
#include "cli/stop_signals.h"
#include "cli/value_text.h"

namespace {

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
        throw CommandFailure(ExitCode::Usage, "cannot write to " + Escaped(path));
    }
}

std::string CsvRow(const std::string& time, std::int32_t serialNumber, const LiveValues& values) {
    std::string row = time + ',' + std::to_string(serialNumber);
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

LiveValues PollLiveValues(Transmitter& link, int retries) {
    LiveValues values;
    bool (Transmitter::*const reads[LiveValues::Count])(float&) = {
        &Transmitter::ReadResistance, &Transmitter::ReadTemperature, &Transmitter::ReadVoltage,
        &Transmitter::ReadMeasuredValue, &Transmitter::ReadRatio};
    // Unlike the window's poll, a failed read does not end the poll: a log wants every value
    // that can be had.
    for (int i = 0; i < LiveValues::Count; ++i) {
        float value = 0.0f;
        if (!ReadWithRetries(retries, [&] { return (link.*reads[i])(value); })) {
            NoteFault(values, i, "no reply");
            values.Failed = true;
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

std::string CsvHeader() {
    std::string header = "time,serial_number";
    for (const LiveColumn& column : Columns) {
        header += std::string(",") + column.CsvHeader;
    }
    return header + ",fault";
}

void CheckCsvFile(const std::string& path) {
    CheckOutputPath(path);
    std::ifstream existing(path, std::ios::binary);
    std::string first;
    if (!existing || !std::getline(existing, first)) {
        return;
    }
    if (first != CsvHeader()) {
        throw CommandFailure(ExitCode::Usage,
                             Escaped(path) + ": its first line is not this program's header (" +
                                 CsvHeader() + "); rows are appended only below the same columns");
    }
}

WatchSummary WatchLiveValues(Transmitter& link, std::int32_t serialNumber,
                             const WatchOptions& options) {
    std::FILE* csv = nullptr;
    if (!options.CsvPath.empty()) {
        // Append only: an earlier log in the same file is never lost.
        csv = std::fopen(options.CsvPath.c_str(), "ab");
        if (csv == nullptr || std::fseek(csv, 0, SEEK_END) != 0) {
            throw CommandFailure(ExitCode::Usage, "cannot open " + Escaped(options.CsvPath));
        }
        if (std::ftell(csv) == 0) {
            WriteRow(csv, options.CsvPath, CsvHeader() + "\n");
        }
    }

    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options.IntervalSeconds));
    auto next = Clock::now();
    WatchSummary summary;
    try {
        while (!StopRequested() && (options.Count == 0 || summary.Polls < options.Count)) {
            // Short naps, so a stop ends a long interval promptly.
            while (!StopRequested() && Clock::now() < next) {
                std::this_thread::sleep_for(
                    std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(50)));
            }
            if (StopRequested()) {
                break;
            }
            const std::string time = UtcTimestamp();
            const LiveValues values = PollLiveValues(link, options.Retries);
            if (StopRequested()) {
                break;
            }
            std::cout << TerminalLine(time, values) << std::endl;
            if (csv != nullptr) {
                WriteRow(csv, options.CsvPath, CsvRow(time, serialNumber, values));
            }
            ++summary.Polls;
            summary.Failed += values.Failed ? 1 : 0;
            next += interval;
            const auto now = Clock::now();
            if (next < now) {
                next = now + interval;
            }
        }
    } catch (...) {
        if (csv != nullptr) {
            std::fclose(csv);
        }
        throw;
    }
    if (csv != nullptr && std::fclose(csv) != 0) {
        throw CommandFailure(ExitCode::Usage, "cannot write to " + Escaped(options.CsvPath));
    }
    return summary;
}
