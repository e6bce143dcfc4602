// watch for node_exporter's textfile collector: the latest values and probe judgement of every
// transmitter, and counters of its polls and faults, in Prometheus' text format, the file
// replaced as a whole after each poll so the collector never reads half of it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/live_sink.h"

class PrometheusSink : public LiveSink {
  public:
    // CommandFailure with exit code 2 when the path exists as anything but a regular file.
    explicit PrometheusSink(const std::string& path);

    // Both replace the file; CommandFailure with exit code 2 when it cannot be replaced.
    void Info(const TransmitterInfo& info) override;
    void Poll(const LivePoll& poll) override;

    struct Transmitter {
        std::string Port;
        std::int32_t SerialNumber = 0;
        std::optional<LivePoll> Last;
        std::optional<ProbeJudgement> Judgement;
        std::uint64_t Polls = 0;
        std::uint64_t FailedPolls = 0;
        std::uint64_t Faults = 0;
    };
    static std::string Text(const std::vector<Transmitter>& transmitters);

  private:
    Transmitter& Of(const std::string& port, std::int32_t serialNumber);
    void Replace();

    std::string Path;
    std::mutex Guard;
    std::vector<Transmitter> Transmitters;
};
