#include "tests/app/e2e/line_watch.h"

#include "tests/app/driver/window_inspector.h"

#include <sstream>

void LineWatch::Mark() {
    std::vector<LoggedFrame> frames;
    // An unreadable log counts as empty; the comparisons that follow then fail visibly.
    Seen = Log.Read(frames) ? frames.size() : 0;
}

std::vector<LoggedFrame> LineWatch::Frames() const {
    std::vector<LoggedFrame> frames;
    Log.ReadFrom(Seen, frames);
    return frames;
}

std::vector<int> LineWatch::Codes() const {
    std::vector<int> codes;
    for (const LoggedFrame& frame : Frames()) {
        codes.push_back(frame.Code());
    }
    return codes;
}

bool LineWatch::WaitForCount(size_t count, DWORD timeoutMs) const {
    return driver::WaitUntil([&] { return Frames().size() >= count; }, timeoutMs);
}

std::string LineWatch::Summary() const {
    const std::vector<LoggedFrame> frames = Frames();
    std::ostringstream text;
    text << frames.size() << " requests since the mark:";
    for (const LoggedFrame& frame : frames) {
        text << ' ' << frame.Code() << '@' << frame.Milliseconds;
    }
    return text.str();
}
