#include "cli/terminal_sink.h"

#include <iostream>

#include "cli/terminal.h"
#include "cli/value_text.h"

namespace {

std::string PollText(const LivePoll& poll) {
    std::string line = std::to_string(poll.SerialNumber) + "  " + poll.Time;
    const LiveValues& values = poll.Values;
    for (int i = 0; i < LiveValues::Count; ++i) {
        line += std::string("  ") + LiveColumns[i].Name + ' ';
        line += values.Present[i] ? FloatText(values.Values[i]) : "-";
        if (values.Present[i] && LiveColumns[i].Unit[0] != '\0') {
            line += std::string(" ") + LiveColumns[i].Unit;
        }
    }
    if (!values.Faults.empty()) {
        line += "  (" + values.Faults + ")";
    }
    return line;
}

}  // namespace

TerminalSink::TerminalSink(const std::vector<std::string>& ports, bool inPlace) : InPlace(inPlace) {
    for (const std::string& port : ports) {
        Rows.push_back({port, "waiting for the first poll", ""});
    }
}

void TerminalSink::Info(const TransmitterInfo& info) {
    const std::string judgement = "probe " + JudgementSummary(info.Judgement);
    std::lock_guard<std::mutex> lock(Guard);
    if (InPlace) {
        RowOf(info.Port).Judgement = RatingName(info.Judgement.Overall);
        Redraw();
    } else {
        std::cerr << Escaped(info.Port) << ": QX7 " << info.Settings.SerialNumber << ' '
                  << judgement << std::endl;
    }
}

void TerminalSink::Poll(const LivePoll& poll) {
    std::string text = PollText(poll);
    std::lock_guard<std::mutex> lock(Guard);
    if (InPlace) {
        RowOf(poll.Port).Poll = std::move(text);
        Redraw();
    } else {
        std::cout << text << std::endl;
    }
}

TerminalSink::Row& TerminalSink::RowOf(const std::string& port) {
    for (Row& row : Rows) {
        if (row.Port == port) {
            return row;
        }
    }
    Rows.push_back({port, "", ""});
    return Rows.back();
}

// Up to the block's first line, then each line erased and written anew; the cursor stays
// below the block, where a message or the shell's prompt goes on.
void TerminalSink::Redraw() {
    std::string text;
    if (DrawnLines > 0) {
        text += "\x1b[" + std::to_string(DrawnLines) + "F";
    }
    // A line the terminal wrapped would take two rows and throw the count above off: each is
    // cut to the width, asked for at each redraw as the window may have been resized.
    const int columns = StandardOutputColumns();
    for (const Row& row : Rows) {
        // The rating ahead of the values, where a narrow window does not cut it off.
        std::string line = Escaped(row.Port);
        if (!row.Judgement.empty()) {
            line += "  probe " + row.Judgement;
        }
        line += "  " + row.Poll;
        if (columns > 1 && line.size() >= static_cast<std::size_t>(columns)) {
            line.resize(static_cast<std::size_t>(columns) - 1);
        }
        text += "\x1b[2K" + line + '\n';
    }
    std::cout << text << std::flush;
    DrawnLines = Rows.size();
}
