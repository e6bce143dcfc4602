// qx7ctl's side of the calibration records: where they are kept, who keeps them, what the
// transmitter holds before and after a write, and the logs read back as JSON.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "link/transmitter.h"
#include "records/calibration_record.h"
#include "records/transmitter_facts.h"

struct RecordOptions {
    std::string Folder;
    std::string Operator;
};

// --records DIR and --operator NAME.
void AddRecordOptions(CLI::App& command, RecordOptions& options);
// --records, else QX7_RECORDS, else the user's data folder.
std::string RecordsFolderOf(const RecordOptions& options);

// The device and the probe's calibration as the transmitter answers now, each read with
// `retries` more tries; what gets no answer stays none. identity is what the connection read.
TransmitterFacts ReadFacts(Transmitter& link, const std::string& identity, int retries);
// Only the calibration part, after a write.
CalibrationValues ReadCalibrationValues(Transmitter& link, int retries);

// Stamps the record (the operator from --operator, else the system user) and appends it.
// When it cannot be kept, says so on standard error and returns false: the caller ends with
// ExitCode::RecordNotKept unless it failed otherwise.
bool KeepRecord(CalibrationRecord record, const RecordOptions& options);

// Runs write, which writes to the transmitter and returns an exit code, and keeps record with
// what the transmitter holds afterwards. When write fails (CommandFailure), the record says
// that the write named what failed, and the failure goes on to the caller. Returns write's
// code, or ExitCode::RecordNotKept when only the record failed.
int WriteAndRecord(CalibrationRecord record, const RecordOptions& options, Transmitter& link,
                   int retries, const std::string& what, const std::function<int()>& write);

// The lines of one transmitter's log, each parsed; CommandFailure (exit code 2) when the log
// cannot be read, 1 naming the line that is not a record.
struct LoggedRecord {
    std::size_t Line = 0;
    std::string Text;
    nlohmann::json Record;
};
std::vector<LoggedRecord> ReadLog(const std::string& folder, std::int32_t serialNumber);
std::string LogPath(const std::string& folder, std::int32_t serialNumber);
