#include "records/chain_check.h"

#include <cstdint>

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

std::vector<std::string> SplitLogLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

namespace {

struct ChainLink {
    bool Readable = false;
    std::uint64_t Sequence = 0;
    std::string Previous;
};

}  // namespace

ChainReport CheckChain(const std::vector<std::string>& lines) {
    ChainReport report;
    report.Lines = lines.size();
    std::vector<ChainLink> links(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string hash;
        if (!Sha256Hex(lines[i], hash)) {
            report.Fault = ChainFault::Unchecked;
            report.LineHashes.clear();
            return report;
        }
        report.LineHashes.push_back(hash);
        links[i].Readable = ReadChainPrefix(lines[i], links[i].Sequence, links[i].Previous);
    }
    // What line i (0-based) must carry when everything before it is intact.
    const auto expectedPrevious = [&](std::size_t i) -> std::string {
        return i == 0 ? std::string(FirstLinePrevious) : report.LineHashes[i - 1];
    };
    const auto expectedSequence = [&](std::size_t i) -> std::uint64_t {
        return i == 0 ? 1 : links[i - 1].Sequence + 1;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ChainLink& link = links[i];
        if (link.Readable && link.Previous == expectedPrevious(i) &&
            link.Sequence == expectedSequence(i)) {
            continue;
        }
        report.Line = i + 1;
        const bool nextSkipsThis = i + 1 < lines.size() && links[i + 1].Readable &&
                                   links[i + 1].Previous == expectedPrevious(i);
        // This line chains to the line two before it: the one between was put in.
        const bool skipsTheOneBefore =
            i > 0 && link.Readable && link.Previous == expectedPrevious(i - 1);
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
