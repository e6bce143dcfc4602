// qx7ctl restore: writes the settings of a saved file that differ, in the table's order,
// checking each, and stopping at the first failure or on a signal with an account of what
// was written.
#include <iostream>
#include <memory>
#include <vector>

#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/owned_sensor_list.h"
#include "cli/plausibility.h"
#include "cli/record_keeping.h"
#include "cli/setting_keys.h"
#include "cli/setting_writer.h"
#include "cli/settings_file.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

struct RestoreOptions {
    LinkOptions Link;
    RecordOptions Records;
    std::string File;
    bool DryRun = false;
    bool WithCalibration = false;
    bool Force = false;
};

std::string Names(const std::vector<const SettingKey*>& keys) {
    std::string names;
    for (const SettingKey* key : keys) {
        names += std::string(names.empty() ? "" : ", ") + key->Name;
    }
    return names.empty() ? "nothing" : names;
}

// The account of a restore that ended before its plan: what was stored, what may or may not
// have been, and what was never sent.
std::string Account(const std::vector<const SettingKey*>& plan, std::size_t done,
                    const SettingKey* unconfirmed) {
    const std::vector<const SettingKey*> written(plan.begin(), plan.begin() + done);
    std::vector<const SettingKey*> rest(plan.begin() + done, plan.end());
    std::string text = "written: " + Names(written);
    if (unconfirmed != nullptr) {
        text += "; sent but not confirmed: " + std::string(unconfirmed->Name);
        rest.erase(rest.begin());
    }
    return text + "; not written: " + Names(rest);
}

void CheckPlausible(const RestoreOptions& options, const SettingsFile& file) {
    std::vector<const SettingKey*> changing;
    for (const SettingKey& key : SettingKeys) {
        if (!key.Calibration || options.WithCalibration) {
            changing.push_back(&key);
        }
    }
    const std::vector<std::string> problems = ImplausibleSettings(file.Settings, changing);
    if (problems.empty() || options.Force) {
        return;
    }
    std::string text;
    for (const std::string& problem : problems) {
        text += std::string(text.empty() ? "" : "; ") + problem;
    }
    throw CommandFailure(ExitCode::Usage, Escaped(options.File) + ": " + text +
                                              " (--force writes such values all the same)");
}

int WritePlan(const RestoreOptions& options, TransmitterLink& link, const SensorList& sensors,
              const SettingsFile& file, const nlohmann::json& current,
              const std::vector<const SettingKey*>& plan);

int RunRestore(RestoreOptions& options) {
    ResolvePositionals(options.Link, {{"FILE", &options.File}});
    OwnedSensorList sensors = MakeSensorList();
    const SettingsFile file = LoadSettingsFile(options.File, *sensors);
    CheckPlausible(options, file);
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    const TransmitterSettings read = ReadSettings(link, *sensors, options.Link.Retries);
    const json current = SettingsJson(read);
    const json& savedFrom = file.Document.at("serial_number");
    if (savedFrom != json(read.SerialNumber)) {
        std::cerr << "note: " << Escaped(options.File) << " was saved from serial number "
                  << savedFrom.dump() << ", this is " << read.SerialNumber << '\n';
    }

    std::vector<const SettingKey*> plan;
    for (const SettingKey& key : SettingKeys) {
        const json& wanted = file.Settings.at(key.Name);
        if (current.at(key.Name) == wanted) {
            continue;
        }
        if (key.Calibration && !options.WithCalibration) {
            std::cerr << "kept " << key.Name << " " << SettingText(current.at(key.Name))
                      << " (the file has " << SettingText(wanted)
                      << "; calibration is written only with --with-calibration)\n";
        } else if (key.Type == SettingType::Sensor && wanted == UnknownSensor) {
            std::cerr << "kept sensor " << SettingText(current.at(key.Name))
                      << " (the file's sensor polynomial matches no sensor in the list)\n";
        } else {
            plan.push_back(&key);
        }
    }
    if (!options.WithCalibration && !plan.empty() && plan.front()->Type == SettingType::ProbeKind) {
        std::cerr << "note: the probe kind changes, but the offset, slope and calibration date "
                     "stay as they are; recalibrate, or restore with --with-calibration\n";
    }
    if (plan.empty()) {
        std::cerr << "nothing to write: the transmitter already holds the file's settings\n";
        return ExitCode::Success;
    }
    if (options.DryRun) {
        for (const SettingKey* key : plan) {
            std::cout << "would write " << key->Name << ": " << SettingText(current.at(key->Name))
                      << " -> " << SettingText(file.Settings.at(key->Name)) << '\n';
        }
        std::cerr << "dry run: nothing written\n";
        return ExitCode::Success;
    }
    bool recorded = false;
    for (const SettingKey* key : plan) {
        recorded = recorded || key->Calibration || key->Type == SettingType::ProbeKind;
    }
    if (!recorded) {
        return WritePlan(options, link, *sensors, file, current, plan);
    }
    // The probe's calibration changes are kept in the transmitter's calibration log.
    CalibrationRecord record;
    record.Event = RecordEvent::Restore;
    record.Device.Identity = read.Identity.c_str();
    record.Device.Firmware = read.Firmware;
    record.Device.SerialNumber = read.SerialNumber;
    record.AsFound.ProbeKind = read.ProbeKind;
    record.AsFound.Offset = read.Offset;
    record.AsFound.Slope = read.Sensitivity;
    record.AsFound.Date = read.CalibrationDate;
    return WriteAndRecord(record, options.Records, link, options.Link.Retries, "restore",
                          [&] { return WritePlan(options, link, *sensors, file, current, plan); });
}

int WritePlan(const RestoreOptions& options, TransmitterLink& link, const SensorList& sensors,
              const SettingsFile& file, const json& current,
              const std::vector<const SettingKey*>& plan) {
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const SettingKey* key = plan[i];
        if (StopRequested()) {
            throw CommandFailure(StopExitCode(), "stopped; " + Account(plan, i, nullptr));
        }
        std::cerr << "writing " << key->Name << ": " << SettingText(current.at(key->Name)) << " -> "
                  << SettingText(file.Settings.at(key->Name)) << '\n';
        std::string problem;
        if (!WriteSetting(link, sensors, *key, file.Settings.at(key->Name), options.Link.Retries,
                          problem)) {
            if (StopRequested()) {
                throw CommandFailure(StopExitCode(), "stopped while writing " +
                                                         std::string(key->Name) + " (" + problem +
                                                         "); " + Account(plan, i, key));
            }
            throw CommandFailure(ExitCode::Communication, std::string("writing ") + key->Name +
                                                              " failed (" + problem + "); " +
                                                              Account(plan, i, nullptr));
        }
    }
    std::cerr << "restored " << plan.size() << " settings\n";
    return StopExitCode();
}

}  // namespace

CommandRun DefineRestoreCommand(CLI::App& command) {
    auto options = std::make_shared<RestoreOptions>();
    AddLinkOptions(command, options->Link);
    AddRecordOptions(command, options->Records);
    command.add_option("FILE", options->File, "JSON file saved by backup");
    command.add_flag("--dry-run", options->DryRun,
                     "print what would be written on standard output, write nothing");
    command.add_flag("--with-calibration", options->WithCalibration,
                     "also write offset, slope and calibration date");
    command.add_flag("--force", options->Force,
                     "write values that fail the plausibility rules (never non-finite ones)");
    return [options] { return RunRestore(*options); };
}
