// Polling the five live values for qx7ctl watch: one line per poll on the terminal and,
// optionally, one row per poll appended to a CSV file.
#pragma once

#include <cstdint>
#include <string>

#include "link/transmitter.h"

struct WatchOptions {
    double IntervalSeconds = 1.0;
    // 0: until Ctrl-C.
    std::uint64_t Count = 0;
    std::string CsvPath;
};

struct LiveValues {
    static constexpr int Count = 5;
    // Resistance, temperature, voltage, measured value, ratio; valid where Present.
    float Values[Count] = {};
    bool Present[Count] = {};
    // Empty when every value came; otherwise "resistance: fault", "voltage: no reply", ...
    std::string Faults;
};

LiveValues PollLiveValues(Transmitter& link);

// Polls until Count polls are done or SIGINT/SIGTERM arrives; a poll the signal interrupted
// is dropped, so every row in the file is whole. CommandFailure with exit code 2 when the CSV
// file cannot be opened or written. Returns the number of polls recorded.
std::uint64_t WatchLiveValues(Transmitter& link, const WatchOptions& options);

// The current time as 2026-03-15T10:20:30.123Z.
std::string UtcTimestamp();
