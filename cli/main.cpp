// qx7ctl: the QX7 transmitter from the command line, for scripts, logs, backups and fleets.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/command_failure.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"qx7ctl - read, log, save, compare and set QX7 pH transmitters"};
    app.require_subcommand(1);

    std::string port;
    std::string path;
    InfoOptions info;
    WatchOptions watch;
    RestoreOptions restore;
    std::string key;
    std::string value;
    const char* const portHelp = "serial port: COM3, ttyUSB0 or a device path";

    CLI::App* ports = app.add_subcommand("ports", "list the serial ports");

    CLI::App* infoCommand =
        app.add_subcommand("info", "identify the transmitter, read every setting, judge the probe");
    infoCommand->add_option("PORT", port, portHelp)->required();
    infoCommand->add_flag("--json", info.Json, "print JSON on standard output");
    infoCommand->add_option("--limit", info.Limits,
                            "override a judgement limit, NAME=VALUE (slope_good_min, "
                            "slope_good_max, slope_check_min, slope_check_max, offset_good, "
                            "offset_check, age_good, age_check)");
    infoCommand->add_option("--today", info.Today,
                            "judge the calibration's age as of this date, YYYY-MM-DD");

    CLI::App* watchCommand = app.add_subcommand("watch", "poll the five live values");
    watchCommand->add_option("PORT", port, portHelp)->required();
    watchCommand->add_option("--interval", watch.IntervalSeconds, "seconds between polls")
        ->check(CLI::Range(0.0, 86400.0));
    watchCommand->add_option("--count", watch.Count, "number of polls (default: until Ctrl-C)");
    watchCommand->add_option("--csv", watch.CsvPath, "append one row per poll to this file");

    CLI::App* backupCommand = app.add_subcommand("backup", "save the settings to a JSON file");
    backupCommand->add_option("PORT", port, portHelp)->required();
    backupCommand->add_option("FILE", path, "JSON file to write")->required();

    CLI::App* diffCommand =
        app.add_subcommand("diff", "list the settings that differ from a saved file");
    diffCommand->add_option("PORT", port, portHelp)->required();
    diffCommand->add_option("FILE", path, "JSON file saved by backup")->required();

    CLI::App* restoreCommand =
        app.add_subcommand("restore", "write the settings of a saved file that differ");
    restoreCommand->add_option("PORT", port, portHelp)->required();
    restoreCommand->add_option("FILE", path, "JSON file saved by backup")->required();
    restoreCommand->add_flag("--dry-run", restore.DryRun, "show what would be written");
    restoreCommand->add_flag("--with-calibration", restore.WithCalibration,
                             "also write offset, slope and calibration date");

    CLI::App* setCommand = app.add_subcommand("set", "write one setting");
    setCommand->add_option("PORT", port, portHelp)->required();
    setCommand
        ->add_option("KEY", key,
                     "probe_kind, sensor, input_damping, temperature_damping, "
                     "range_min, range_max, offset, sensitivity, "
                     "calibration_date")
        ->required();
    setCommand->add_option("VALUE", value, "the new value (a date as YYYY-MM-DD or none)")
        ->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help is a success; every other parse problem is a usage error.
        return app.exit(error) == 0 ? ExitCode::Success : ExitCode::Usage;
    }

    try {
        if (ports->parsed()) {
            return RunPorts();
        }
        if (infoCommand->parsed()) {
            return RunInfo(port, info);
        }
        if (watchCommand->parsed()) {
            return RunWatch(port, watch);
        }
        if (backupCommand->parsed()) {
            return RunBackup(port, path);
        }
        if (diffCommand->parsed()) {
            return RunDiff(port, path);
        }
        if (restoreCommand->parsed()) {
            return RunRestore(port, path, restore);
        }
        return RunSet(port, key, value);
    } catch (const CommandFailure& failure) {
        std::cerr << "qx7ctl: " << failure.what() << std::endl;
        return failure.Code;
    } catch (const std::exception& error) {
        std::cerr << "qx7ctl: " << error.what() << std::endl;
        return ExitCode::Usage;
    }
}
