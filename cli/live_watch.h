// Polling the five live values of one transmitter for qx7ctl watch, handing every poll and,
// now and then, the settings and the probe's judgement to the sinks.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "link/transmitter.h"

class LiveSink;

struct WatchOptions {
    // Finite, positive and at most a day; checked where the command line is read.
    double IntervalSeconds = 1.0;
    // 0: until SIGINT or SIGTERM.
    std::uint64_t Count = 0;
    // How often the settings are read again and the probe judged anew; they are read once
    // before the first poll in any case.
    double InfoEverySeconds = 3600.0;
    int Retries = 2;
};

struct LiveValues {
    static constexpr int Count = 5;
    // Resistance, temperature, voltage, measured value, ratio; valid where Present.
    float Values[Count] = {};
    bool Present[Count] = {};
    // Empty when every value came; otherwise "resistance: fault", "voltage: no reply", ...
    std::string Faults;
    // How many of the five values did not come (a fault pattern or no valid reply).
    int FaultCount = 0;
    // A read got no valid reply even after its retries; a fault pattern is a reply.
    bool Failed = false;
};

// The names every sink gives the five values, in the order of LiveValues.
struct LiveColumn {
    const char* Name;
    // A name with its unit, for the CSV header and the InfluxDB and Prometheus fields.
    const char* FieldName;
    const char* Unit;
};
extern const LiveColumn LiveColumns[LiveValues::Count];

LiveValues PollLiveValues(Transmitter& link, int retries);

struct WatchSummary {
    std::uint64_t Polls = 0;
    std::uint64_t Failed = 0;
};

// Polls until Count polls are done, a stop is requested or `ended` is set (another thread
// failed); a poll the stop interrupted is dropped, so no sink gets half of one. After a poll
// that ended late, the next is due a whole interval later: polls missed meanwhile are not
// made up in a burst. A settings read that fails is reported on standard error and tried
// again after the next poll that got every reply. Sinks' CommandFailure passes through.
WatchSummary WatchLiveValues(Transmitter& link, std::int32_t serialNumber, const std::string& port,
                             const WatchOptions& options, const std::vector<LiveSink*>& sinks,
                             const std::atomic<bool>& ended);

// The current time as 2026-03-15T10:20:30.123Z.
std::string UtcTimestamp();
