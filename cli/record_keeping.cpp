#include "cli/record_keeping.h"

#include <iostream>

#include "cli/command_failure.h"
#include "cli/read_retry.h"
#include "cli/value_text.h"
#include "records/record_log.h"
#include "records/record_stamp.h"
#include "records/records_folder.h"

void AddRecordOptions(CLI::App& command, RecordOptions& options) {
    command.add_option("--records", options.Folder,
                       "folder of the calibration records (default: $QX7_RECORDS, else the "
                       "user's data folder)");
    command.add_option("--operator", options.Operator,
                       "who is named in the record (default: the system user)");
}

std::string RecordsFolderOf(const RecordOptions& options) {
    if (!options.Folder.empty()) {
        return options.Folder;
    }
    const Text folder = RecordsFolder();
    return std::string(folder.Data(), folder.Size());
}

CalibrationValues ReadCalibrationValues(Transmitter& link, int retries) {
    CalibrationValues values;
    std::uint8_t kind = 0;
    if (ReadWithRetries(retries, [&] { return link.ReadProbeKind(kind); })) {
        values.ProbeKind = kind;
    }
    float value = 0.0f;
    if (ReadWithRetries(retries, [&] { return link.ReadOffset(value); })) {
        values.Offset = value;
    }
    if (ReadWithRetries(retries, [&] { return link.ReadSensitivity(value); })) {
        values.Slope = value;
    }
    std::uint32_t date = 0;
    if (ReadWithRetries(retries, [&] { return link.ReadCalibrationDate(date); })) {
        values.Date = date;
    }
    return values;
}

TransmitterFacts ReadFacts(Transmitter& link, const std::string& identity, int retries) {
    TransmitterFacts facts;
    facts.Device.Identity = identity.c_str();
    std::uint16_t firmware = 0;
    if (ReadWithRetries(retries, [&] { return link.ReadFirmwareVersion(firmware); })) {
        facts.Device.Firmware = firmware;
    }
    std::int32_t serialNumber = 0;
    if (ReadWithRetries(retries, [&] { return link.ReadSerialNumber(serialNumber); })) {
        facts.Device.SerialNumber = serialNumber;
    }
    facts.Calibration = ReadCalibrationValues(link, retries);
    return facts;
}

bool KeepRecord(CalibrationRecord record, const RecordOptions& options) {
    record.Operator = options.Operator.c_str();
    StampRecord(record, "qx7ctl", UtcClock());
    const std::string folder = RecordsFolderOf(options);
    if (RecordLog(folder.c_str()).Append(record)) {
        return true;
    }
    std::cerr << "qx7ctl: the calibration record could not be kept in "
              << (folder.empty() ? std::string("(no records folder: set QX7_RECORDS)")
                                 : Quoted(folder))
              << (record.Device.SerialNumber ? "" : " (the serial number could not be read)")
              << '\n';
    return false;
}

std::string LogPath(const std::string& folder, std::int32_t serialNumber) {
    const Text path = RecordLog(folder.c_str()).PathOf(serialNumber);
    return std::string(path.Data(), path.Size());
}

std::vector<LoggedRecord> ReadLog(const std::string& folder, std::int32_t serialNumber) {
    Text text;
    if (!RecordLog(folder.c_str()).Read(serialNumber, text)) {
        throw CommandFailure(ExitCode::Usage,
                             Quoted(LogPath(folder, serialNumber)) + " cannot be read");
    }
    std::vector<LoggedRecord> records;
    const std::string all(text.Data(), text.Size());
    std::size_t start = 0;
    for (std::size_t line = 1; start < all.size(); ++line) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos) {
            end = all.size();
        }
        LoggedRecord record;
        record.Line = line;
        record.Text = all.substr(start, end - start);
        record.Record = nlohmann::json::parse(record.Text, nullptr, false);
        if (!record.Record.is_object()) {
            throw CommandFailure(ExitCode::No, Quoted(LogPath(folder, serialNumber)) + " line " +
                                                   std::to_string(line) +
                                                   " is not a record (history --verify checks "
                                                   "the log)");
        }
        records.push_back(std::move(record));
        start = end + 1;
    }
    return records;
}

int WriteAndRecord(CalibrationRecord record, const RecordOptions& options, Transmitter& link,
                   int retries, const std::string& what, const std::function<int()>& write) {
    int code = ExitCode::Success;
    try {
        code = write();
    } catch (const CommandFailure&) {
        record.Outcome = RecordOutcome::WriteFailed;
        record.AddFailedWrite(what.c_str());
        record.AsLeft = ReadCalibrationValues(link, retries);
        KeepRecord(record, options);
        throw;
    }
    record.AsLeft = ReadCalibrationValues(link, retries);
    if (!KeepRecord(record, options) && code == ExitCode::Success) {
        return ExitCode::RecordNotKept;
    }
    return code;
}
