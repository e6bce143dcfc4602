#include "records/chain_check.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "records/record_line.h"
#include "records/sha256.h"

const char* ChainFaultName(ChainFault fault) {
    switch (fault) {
        case ChainFault::None:
            return "intact";
        case ChainFault::Changed:
            return "changed";
        case ChainFault::Removed:
            return "removed";
        case ChainFault::Inserted:
            return "inserted";
        case ChainFault::Unchecked:
            return "unchecked";
    }
    return "unchecked";
}

namespace {

// One line as the chain sees it.
struct ChainLink {
    char Hash[Sha256TextSize] = {};
    bool Readable = false;
    std::uint64_t Sequence = 0;
    char Previous[HashTextSize] = {};
};

std::size_t CountLines(const char* log, std::size_t size) {
    std::size_t lines = 0;
    for (std::size_t at = 0; at < size; ++lines) {
        const void* end = std::memchr(log + at, '\n', size - at);
        at = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - log) + 1
                            : size;
    }
    return lines;
}

}  // namespace

ChainReport CheckChain(const char* log, std::size_t size) {
    ChainReport report;
    const std::size_t lines = CountLines(log, size);
    report.Lines = lines;
    const std::unique_ptr<ChainLink[]> links(new ChainLink[lines != 0 ? lines : 1]);
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines; ++i) {
        const void* found = std::memchr(log + at, '\n', size - at);
        const std::size_t end =
            found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - log)
                             : size;
        if (!Sha256Hex(log + at, end - at, links[i].Hash)) {
            report.Fault = ChainFault::Unchecked;
            return report;
        }
        links[i].Readable =
            ReadChainPrefix(log + at, end - at, links[i].Sequence, links[i].Previous);
        at = end + 1;
    }
    // What line i (0-based) must carry when everything before it is intact.
    const auto expectedPrevious = [&](std::size_t i) {
        return i == 0 ? FirstLinePrevious : static_cast<const char*>(links[i - 1].Hash);
    };
    const auto carries = [&](std::size_t i, const char* hash) {
        return links[i].Readable && std::strcmp(links[i].Previous, hash) == 0;
    };
    const auto expectedSequence = [&](std::size_t i) -> std::uint64_t {
        return i == 0 ? 1 : links[i - 1].Sequence + 1;
    };
    for (std::size_t i = 0; i < lines; ++i) {
        const ChainLink& link = links[i];
        if (carries(i, expectedPrevious(i)) && link.Sequence == expectedSequence(i)) {
            continue;
        }
        report.Line = i + 1;
        const bool nextSkipsThis = i + 1 < lines && carries(i + 1, expectedPrevious(i));
        // This line chains to the line two before it: the one between was put in.
        const bool skipsTheOneBefore = i > 0 && carries(i, expectedPrevious(i - 1));
        if (nextSkipsThis) {
            report.Fault = ChainFault::Inserted;
        } else if (skipsTheOneBefore) {
            report.Fault = ChainFault::Inserted;
            report.Line = i;
        } else if (!link.Readable) {
            report.Fault = ChainFault::Changed;
        } else if (link.Sequence > expectedSequence(i)) {
            report.Fault = ChainFault::Removed;
        } else if (link.Sequence < expectedSequence(i)) {
            report.Fault = ChainFault::Inserted;
        } else if (i == 0) {
            report.Fault = ChainFault::Changed;
        } else {
            // The line carries the right number but not the hash of the line before: that
            // line's text is no longer what was written.
            report.Fault = ChainFault::Changed;
            report.Line = i;
        }
        return report;
    }
    return report;
}
