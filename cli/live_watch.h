// Polling the five live values for qx7ctl watch: one line per poll on the terminal and,
// optionally, one row per poll appended to a CSV file.
#pragma once

#include <cstdint>
#include <string>

#include "link/transmitter.h"

struct WatchOptions {
    // Finite, positive and at most a day; checked where the command line is read.
    double IntervalSeconds = 1.0;
    // 0: until SIGINT or SIGTERM.
    std::uint64_t Count = 0;
    std::string CsvPath;
    int Retries = 2;
};

struct LiveValues {
    static constexpr int Count = 5;
    // Resistance, temperature, voltage, measured value, ratio; valid where Present.
    float Values[Count] = {};
    bool Present[Count] = {};
    // Empty when every value came; otherwise "resistance: fault", "voltage: no reply", ...
    std::string Faults;
    // A read got no valid reply even after its retries; a fault pattern is a reply.
    bool Failed = false;
};

LiveValues PollLiveValues(Transmitter& link, int retries);

// The CSV file's first line.
std::string CsvHeader();
// Before the port is opened: CommandFailure with exit code 2 when the CSV path is not a
// regular file, or is a file whose first line is another header (a row would land among
// columns that mean something else).
void CheckCsvFile(const std::string& path);

struct WatchSummary {
    std::uint64_t Polls = 0;
    std::uint64_t Failed = 0;
};

// Polls until Count polls are done or a stop is requested; a poll the stop interrupted is
// dropped, so every row in the file is whole. After a poll that ended late, the next is due
// a whole interval later: polls missed meanwhile are not made up in a burst. CommandFailure
// with exit code 2 when the CSV file cannot be opened or written.
WatchSummary WatchLiveValues(Transmitter& link, std::int32_t serialNumber,
                             const WatchOptions& options);

// The current time as 2026-03-15T10:20:30.123Z.
std::string UtcTimestamp();
