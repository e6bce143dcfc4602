// Checks a calibration log's hash chain and names the first line that breaks it.
#pragma once

#include <cstddef>

enum class ChainFault {
    None,
    // The line's text is not what the next line's hash was taken of, or it no longer reads
    // as a record.
    Changed,
    // One or more lines are missing before this line.
    Removed,
    // The line was not written in its place: the line after it chains to the one before it.
    Inserted,
    // The platform's hash was not available, so nothing could be checked.
    Unchecked,
};
const char* ChainFaultName(ChainFault fault);

struct ChainReport {
    ChainFault Fault = ChainFault::None;
    // 1-based line of the log that the fault names; 0 with no fault.
    std::size_t Line = 0;
    std::size_t Lines = 0;
};

// The log is the file's bytes. A line ends at a line feed; a final line feed starts no line,
// and a carriage return before a line feed belongs to its line.
ChainReport CheckChain(const char* log, std::size_t size);
