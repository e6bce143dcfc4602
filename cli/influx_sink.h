// watch in InfluxDB line protocol, for Telegraf's tail or exec input: one qx7_live line per
// poll and one qx7_probe line per reading of the settings, tagged with the serial number
// and the port, stamped in nanoseconds.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "cli/live_sink.h"

class InfluxSink : public LiveSink {
  public:
    // Appends to the file, or writes to standard output for "-". CommandFailure with exit
    // code 2 when the file cannot be opened.
    explicit InfluxSink(const std::string& path);
    ~InfluxSink() override;
    InfluxSink(const InfluxSink&) = delete;
    InfluxSink& operator=(const InfluxSink&) = delete;

    void Info(const TransmitterInfo& info) override;
    void Poll(const LivePoll& poll) override;

    static std::string PollLine(const LivePoll& poll);
    static std::string InfoLine(const TransmitterInfo& info);

  private:
    void Write(const std::string& line);

    std::string Path;
    std::mutex Guard;
    std::FILE* File = nullptr;
    bool Owned = false;
};
