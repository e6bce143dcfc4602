#include "tests/app/e2e/line_watch.h"

#include "tests/app/driver/window_inspector.h"

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
