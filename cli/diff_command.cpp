// qx7ctl diff: the settings whose values differ between the transmitter and a saved file.
#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/owned_sensor_list.h"
#include "cli/setting_keys.h"
#include "cli/settings_file.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

struct DiffOptions {
    LinkOptions Link;
    std::string File;
    bool Json = false;
};

int RunDiff(DiffOptions& options) {
    ResolvePositionals(options.Link, {{"FILE", &options.File}});
    OwnedSensorList sensors = MakeSensorList();
    const SettingsFile file = LoadSettingsFile(options.File, *sensors);
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    const json current = SettingsJson(ReadSettings(link, *sensors, options.Link.Retries));
    json differences = json::array();
    for (const SettingKey& key : SettingKeys) {
        if (current.at(key.Name) != file.Settings.at(key.Name)) {
            differences.push_back({{"key", key.Name},
                                   {"transmitter", current.at(key.Name)},
                                   {"file", file.Settings.at(key.Name)}});
        }
    }
    if (options.Json) {
        std::cout << json{{"equal", differences.empty()}, {"differences", differences}}.dump(2)
                  << std::endl;
    } else {
        for (const json& difference : differences) {
            std::cout << difference.at("key").get<std::string>() << ": transmitter "
                      << SettingText(difference.at("transmitter")) << ", file "
                      << SettingText(difference.at("file")) << '\n';
        }
    }
    std::cerr << (differences.empty() ? "the transmitter matches " + Escaped(options.File)
                                      : std::to_string(differences.size()) + " settings differ")
              << '\n';
    return differences.empty() ? ExitCode::Success : ExitCode::No;
}

}  // namespace

CommandRun DefineDiffCommand(CLI::App& command) {
    auto options = std::make_shared<DiffOptions>();
    AddLinkOptions(command, options->Link);
    command.add_option("FILE", options->File, "JSON file saved by backup");
    command.add_flag("--json", options->Json, "print the differences as JSON");
    return [options] { return RunDiff(*options); };
}
