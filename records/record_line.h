// The text of one line of a calibration log: the record as one JSON object, led by its place in
// the chain so that the chain can be checked without reading the rest.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/calibration_record.h"
#include "records/text.h"

// A SHA-256 as 64 lower-case hex digits and a terminating zero.
constexpr std::size_t HashTextSize = 65;

// The hash that the first line of a log carries as its predecessor's.
extern const char* const FirstLinePrevious;

// Without the line end. previousHash is the SHA-256 (hex) of the line before, or
// FirstLinePrevious; sequence counts the lines of the log from 1.
Text RecordLine(const CalibrationRecord& record, std::uint64_t sequence, const char* previousHash);

// The sequence number and previous hash that a line begins with; false when the line does not
// begin as RecordLine writes it.
bool ReadChainPrefix(const char* line, std::size_t length, std::uint64_t& sequence,
                     char (&previousHash)[HashTextSize]);
