// The table of qx7ctl's commands: one row each, with the function that adds the command's
// options (bound to its own options struct) and returns how to run it. Each command lives
// in its own file, NAME_command.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <functional>

// Runs a parsed command: its exit code, or CommandFailure.
using CommandRun = std::function<int()>;

struct Subcommand {
    const char* Name;
    const char* Summary;
    CommandRun (*Define)(CLI::App& command);
};

CommandRun DefinePortsCommand(CLI::App& command);
CommandRun DefineInfoCommand(CLI::App& command);
CommandRun DefineWatchCommand(CLI::App& command);
CommandRun DefineBackupCommand(CLI::App& command);
CommandRun DefineDiffCommand(CLI::App& command);
CommandRun DefineRestoreCommand(CLI::App& command);
CommandRun DefineSetCommand(CLI::App& command);
CommandRun DefineHistoryCommand(CLI::App& command);
CommandRun DefineUndoCommand(CLI::App& command);
CommandRun DefineCertificateCommand(CLI::App& command);
CommandRun DefineCalibrateCommand(CLI::App& command);

constexpr Subcommand Subcommands[] = {
    {"ports", "list the serial ports", &DefinePortsCommand},
    {"info", "identify the transmitter, read every setting, judge the probe", &DefineInfoCommand},
    {"watch", "poll the five live values", &DefineWatchCommand},
    {"backup", "save the settings to a JSON file", &DefineBackupCommand},
    {"diff", "list the settings that differ from a saved file", &DefineDiffCommand},
    {"restore", "write the settings of a saved file that differ", &DefineRestoreCommand},
    {"set", "write one setting", &DefineSetCommand},
    {"history", "show a transmitter's calibration log and the slope's trend",
     &DefineHistoryCommand},
    {"undo", "put back the calibration the last record changed", &DefineUndoCommand},
    {"certificate", "a calibration record as a printable HTML page", &DefineCertificateCommand},
    {"calibrate", "a guided two-point probe calibration that waits for stability",
     &DefineCalibrateCommand},
};
