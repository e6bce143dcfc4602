// Checks a calibration log's hash chain and names the first line that breaks it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class ChainFault {
    None,
    // The line's text is not what the next line's hash was taken of, or it no longer reads
    // as a record.
    Changed,
    // One or more lines are missing before this line.
    Removed,
    // The line was not written in its place: the next line chains to the line before it.
    Inserted,
    // The platform's hash was not available, so nothing could be checked.
    Unchecked,
};
const char* ChainFaultName(ChainFault fault);

struct ChainReport {
    ChainFault Fault = ChainFault::None;
    // 1-based line of the log the fault names; 0 with no fault.
    std::size_t Line = 0;
    std::size_t Lines = 0;
    // Each line's SHA-256, the hash the line after it must carry.
    std::vector<std::string> LineHashes;
};

// The log's lines, without their line ends; an empty last line (the file's final line end)
// is not a line. A carriage return before a line end is part of the line.
std::vector<std::string> SplitLogLines(const std::string& text);

ChainReport CheckChain(const std::vector<std::string>& lines);
