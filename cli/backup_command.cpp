// qx7ctl backup: the settings, identity and serial number in a JSON file that restore takes.
#include <iostream>
#include <memory>

#include "cli/atomic_file.h"
#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/link_options.h"
#include "cli/live_watch.h"
#include "cli/owned_sensor_list.h"
#include "cli/setting_keys.h"
#include "cli/settings_file.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

namespace {

struct BackupOptions {
    LinkOptions Link;
    // "-" for standard output.
    std::string File;
};

// A backup holds only what restore takes back: every value that restore would refuse is
// named with the bytes the transmitter sent.
void CheckRestorable(const TransmitterSettings& settings, const SensorList& sensors) {
    std::string problems;
    for (const SettingKey& key : SettingKeys) {
        try {
            CheckSetting(key, key.Value(settings), sensors, key.Name);
        } catch (const CommandFailure& failure) {
            problems += std::string(problems.empty() ? "" : "; ") + failure.what() + " (bytes " +
                        WireBytes(key.Wire(settings), key.WireSize) + ")";
        }
    }
    if (!problems.empty()) {
        throw CommandFailure(ExitCode::Communication,
                             "the transmitter holds values that restore would refuse, so no "
                             "backup was written: " +
                                 problems);
    }
}

int RunBackup(BackupOptions& options) {
    ResolvePositionals(options.Link, {{"FILE", &options.File}});
    const bool toOutput = options.File == "-";
    if (!toOutput) {
        CheckOutputPath(options.File);
    }
    OwnedSensorList sensors = MakeSensorList();
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    const std::string readAt = UtcTimestamp();
    const TransmitterSettings settings = ReadSettings(link, *sensors, options.Link.Retries);
    CheckRestorable(settings, *sensors);
    const std::string text = SettingsDocument(settings, readAt).dump(2) + "\n";
    if (toOutput) {
        std::cout << text << std::flush;
        return std::cout ? ExitCode::Success : ExitCode::Usage;
    }
    std::string problem;
    if (!ReplaceWholeFile(options.File, text, problem)) {
        throw CommandFailure(ExitCode::Usage, "cannot write " + Escaped(options.File) + ": " +
                                                  problem + "; the file is as it was");
    }
    std::cerr << "saved the settings of QX7 serial number " << settings.SerialNumber << " to "
              << Escaped(options.File) << '\n';
    return ExitCode::Success;
}

}  // namespace

CommandRun DefineBackupCommand(CLI::App& command) {
    auto options = std::make_shared<BackupOptions>();
    AddLinkOptions(command, options->Link);
    command.add_option("FILE", options->File,
                       "JSON file to write, replaced whole only when complete; - for standard "
                       "output");
    return [options] { return RunBackup(*options); };
}
