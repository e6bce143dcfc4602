// qx7ctl undo: puts back the offset, slope and date that the last record changing them found,
// but only over the values that record left.
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/record_keeping.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/terminal.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

struct UndoOptions {
    LinkOptions Link;
    RecordOptions Records;
    bool Yes = false;
};

// Offset, slope and date as a record or the transmitter has them; none where unknown.
struct Calibration {
    std::optional<float> Offset;
    std::optional<float> Slope;
    // The packed-decimal word; 0 for no date.
    std::optional<std::uint32_t> Date;

    bool Complete() const { return Offset && Slope && Date; }
};

Calibration CalibrationOf(const json& values) {
    Calibration calibration;
    if (!values.is_object()) {
        return calibration;
    }
    if (values["offset_mv"].is_number()) {
        calibration.Offset = values["offset_mv"].get<float>();
    }
    if (values["slope_mv"].is_number()) {
        calibration.Slope = values["slope_mv"].get<float>();
    }
    const json& date = values["calibration_date"];
    if (date.is_null()) {
        calibration.Date = 0;
    } else if (date.is_string()) {
        calibration.Date = ParseDate(date.get<std::string>());
    }
    return calibration;
}

Calibration CalibrationOf(const CalibrationValues& values) {
    return {values.Offset, values.Slope, values.Date};
}

// Floats went through decimal text and back; they are the same value within a few units of
// the last place.
bool Same(const std::optional<float>& a, const std::optional<float>& b) {
    return a && b && std::fabs(*a - *b) <= 1e-6f * std::fmax(1.0f, std::fabs(*b));
}

std::string FloatOrUnknown(const std::optional<float>& value) {
    return value ? FloatText(*value) : "unknown";
}

std::string DateOrUnknown(const std::optional<std::uint32_t>& date) {
    return date ? DateText(*date).value_or("none") : "unknown";
}

// What differs between what the transmitter holds and what it should hold, or empty.
std::string Differences(const Calibration& held, const Calibration& expected) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        text += (text.empty() ? "" : ", ") + part;
    };
    if (!Same(held.Offset, expected.Offset)) {
        add("offset " + FloatOrUnknown(held.Offset) + " mV (expected " +
            FloatOrUnknown(expected.Offset) + ")");
    }
    if (!Same(held.Slope, expected.Slope)) {
        add("slope " + FloatOrUnknown(held.Slope) + " mV (expected " +
            FloatOrUnknown(expected.Slope) + ")");
    }
    if (!held.Date || !expected.Date || *held.Date != *expected.Date) {
        add("calibration date " + DateOrUnknown(held.Date) + " (expected " +
            DateOrUnknown(expected.Date) + ")");
    }
    return text;
}

// The newest record whose writes changed offset, slope or date.
const LoggedRecord* LastChange(const std::vector<LoggedRecord>& log) {
    for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
        const json& record = entry->Record;
        const json& result = record["outcome"]["result"];
        if (result != "written" && result != "write-failed") {
            continue;
        }
        const Calibration found = CalibrationOf(record["as_found"]);
        const Calibration left = CalibrationOf(record["as_left"]);
        if (!Differences(left, found).empty()) {
            return &*entry;
        }
    }
    return nullptr;
}

void Confirm(bool yes, const std::string& what) {
    if (yes) {
        return;
    }
    if (!StandardInputIsTerminal()) {
        throw CommandFailure(ExitCode::Usage, what + "; add --yes to do so without being asked");
    }
    std::cerr << what << ". Go on? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
        throw CommandFailure(ExitCode::No, "nothing written");
    }
}

int RunUndo(UndoOptions& options) {
    ResolvePositionals(options.Link, {});
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    const TransmitterFacts facts = ReadFacts(link, "QX7", options.Link.Retries);
    if (!facts.Device.SerialNumber) {
        throw CommandFailure(ExitCode::Communication, "no valid reply reading the serial number");
    }
    const std::string folder = RecordsFolderOf(options.Records);
    const std::vector<LoggedRecord> log = ReadLog(folder, *facts.Device.SerialNumber);
    const LoggedRecord* change = LastChange(log);
    if (change == nullptr) {
        throw CommandFailure(ExitCode::Usage,
                             "no record in " + Quoted(LogPath(folder, *facts.Device.SerialNumber)) +
                                 " changed the calibration; nothing to undo");
    }
    const std::string which = "line " + std::to_string(change->Line) + " (" +
                              change->Record.value("event", "?") + " of " +
                              change->Record.value("time", "?") + ")";
    const Calibration target = CalibrationOf(change->Record["as_found"]);
    if (!target.Complete()) {
        throw CommandFailure(ExitCode::Usage,
                             which +
                                 " does not say what the transmitter held before; nothing "
                                 "written");
    }
    const Calibration held = CalibrationOf(facts.Calibration);
    // A value that got no reply is not a value someone else wrote: the answer is unknown.
    if (!held.Complete()) {
        throw CommandFailure(ExitCode::Communication,
                             "no valid reply when reading the calibration; nothing written");
    }
    const std::string changedSince = Differences(held, CalibrationOf(change->Record["as_left"]));
    if (!changedSince.empty()) {
        throw CommandFailure(ExitCode::No, "the transmitter no longer holds what " + which +
                                               " left: " + changedSince + "; nothing written");
    }
    Confirm(options.Yes, "this puts back offset " + FloatText(*target.Offset) + " mV, slope " +
                             FloatText(*target.Slope) + " mV and calibration date " +
                             DateOrUnknown(target.Date) + ", as " + which + " found them");

    CalibrationRecord record;
    record.Event = RecordEvent::Undo;
    record.Device = facts.Device;
    record.AsFound = facts.Calibration;
    float offset = *target.Offset;
    float slope = *target.Slope;
    std::uint32_t date = *target.Date;
    if (!link.WriteOffset(offset)) {
        record.AddFailedWrite("offset");
    }
    if (!link.WriteSensitivity(slope)) {
        record.AddFailedWrite("slope");
    }
    if (!link.WriteCalibrationDate(date)) {
        record.AddFailedWrite("date");
    }
    record.AsLeft = ReadCalibrationValues(link, options.Link.Retries);
    const std::string notStored = Differences(CalibrationOf(record.AsLeft), target);
    if (record.FailedWriteCount != 0 || !notStored.empty()) {
        record.Outcome = RecordOutcome::WriteFailed;
        KeepRecord(record, options.Records);
        throw CommandFailure(ExitCode::Communication,
                             "the undo was not stored: " +
                                 (notStored.empty() ? std::string("no valid reply") : notStored));
    }
    record.Reason = ("undoes " + which).c_str();
    std::cerr << "put back offset " << FloatText(*target.Offset) << " mV, slope "
              << FloatText(*target.Slope) << " mV, calibration date " << DateOrUnknown(target.Date)
              << '\n';
    if (!KeepRecord(record, options.Records)) {
        return ExitCode::RecordNotKept;
    }
    return StopExitCode();
}

}  // namespace

CommandRun DefineUndoCommand(CLI::App& command) {
    auto options = std::make_shared<UndoOptions>();
    AddLinkOptions(command, options->Link);
    AddRecordOptions(command, options->Records);
    command.add_flag("--yes", options->Yes, "write without asking");
    return [options] { return RunUndo(*options); };
}
