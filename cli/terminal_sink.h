// watch on the terminal: one line per transmitter, redrawn in place where standard output
// takes cursor moves; elsewhere (a pipe, a file) one plain line per poll, the settings'
// judgement on standard error, so standard output stays one line per poll.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "cli/live_sink.h"

class TerminalSink : public LiveSink {
  public:
    // The ports in the order their lines are shown.
    TerminalSink(const std::vector<std::string>& ports, bool inPlace);

    void Info(const TransmitterInfo& info) override;
    void Poll(const LivePoll& poll) override;

  private:
    struct Row {
        std::string Port;
        std::string Poll;
        std::string Judgement;
    };

    Row& RowOf(const std::string& port);
    void Redraw();

    const bool InPlace;
    std::mutex Guard;
    std::vector<Row> Rows;
    // Lines of the block on the screen, which the next redraw goes back up over.
    std::size_t DrawnLines = 0;
};
