// The calibration logs of one records folder: one append-only file per transmitter,
// SERIAL.jsonl, each line a record chained to the line before by its SHA-256.
#pragma once

#include <cstdint>
#include <utility>

#include "records/calibration_record.h"
#include "records/text.h"

class RecordLog {
  public:
    explicit RecordLog(Text folder) : FolderPath(std::move(folder)) {}

    const Text& Folder() const { return FolderPath; }
    Text PathOf(std::int32_t serialNumber) const;

    // Appends the record to its transmitter's log, made with the folder when missing. False
    // when the record has no serial number, the folder is not known, or the line could not be
    // written whole. Earlier lines are never rewritten; writers of the same log, in other
    // processes too, take turns.
    bool Append(const CalibrationRecord& record) const;

    // The whole log of one transmitter; a log not yet written reads as empty. False when it
    // exists but cannot be read.
    bool Read(std::int32_t serialNumber, Text& text) const;

  private:
    Text FolderPath;
};
