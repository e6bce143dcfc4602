// Where the polls of qx7ctl watch go: the terminal, a CSV file, MQTT, InfluxDB, Prometheus.
// Each sink lives in its own file behind this interface, so a new one is one more file.
#pragma once

#include <cstdint>
#include <string>

#include "cli/live_watch.h"
#include "cli/probe_judgement.h"
#include "cli/transmitter_settings.h"

struct LivePoll {
    std::int32_t SerialNumber = 0;
    std::string Port;
    // UTC, as 2026-03-15T10:20:30.123Z.
    std::string Time;
    LiveValues Values;
};

// What watch reads at its start and again every --info-every: the settings and the probe's
// judgement.
struct TransmitterInfo {
    std::string Port;
    std::string Time;
    TransmitterSettings Settings;
    ProbeJudgement Judgement;
};

// The polling threads of several transmitters call one sink at once: a sink serialises what
// it shares. A sink never holds a poll up on the network or on a slow reader; it reports a
// failure it cannot recover from by throwing CommandFailure, which ends watch.
class LiveSink {
  public:
    virtual ~LiveSink() = default;
    virtual void Info(const TransmitterInfo& info) = 0;
    virtual void Poll(const LivePoll& poll) = 0;
};
