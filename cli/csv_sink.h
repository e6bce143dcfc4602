// watch's CSV log: one row per poll of any transmitter, the serial number in each, appended
// whole to one file that every polling thread shares.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "cli/live_sink.h"

class CsvSink : public LiveSink {
  public:
    // The file's first line.
    static std::string Header();
    // Before any port is opened: CommandFailure with exit code 2 when the path is not a
    // regular file, or is a file whose first line is another header (a row would land among
    // columns that mean something else).
    static void Check(const std::string& path);

    // Opens the file for appending, writing the header into an empty one; CommandFailure
    // with exit code 2 when it cannot.
    explicit CsvSink(const std::string& path);
    ~CsvSink() override;
    CsvSink(const CsvSink&) = delete;
    CsvSink& operator=(const CsvSink&) = delete;

    void Info(const TransmitterInfo&) override {}
    void Poll(const LivePoll& poll) override;
    // CommandFailure with exit code 2 when the file's last bytes did not reach it.
    void Close();

  private:
    void Write(const std::string& row);

    std::string Path;
    std::mutex Guard;
    std::FILE* File = nullptr;
};
