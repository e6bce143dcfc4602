// qx7ctl: the QX7 transmitter from the command line, for scripts, logs, backups and fleets.
// main only wires up the table of commands and turns failures into exit codes.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_failure.h"
#include "cli/nearest_name.h"
#include "cli/subcommands.h"
#include "cli/value_text.h"
#include "objects/build_version.h"

namespace {

constexpr const char* ExitCodes =
    "Exit codes: 0 success (or equal, or good); 1 a \"no\" answer (diff found differences, "
    "info --check found the probe not good, history --verify found the chain broken, undo "
    "found the transmitter changed since); 2 usage or file error; 3 not a QX7; 4 "
    "communication failure (no reply, or the port cannot be opened); 5 the calibration "
    "record could not be kept (the transmitter was written); 130 and 143 after "
    "SIGINT and SIGTERM.";

// The first word that is no option, when it names no command: a hint instead of CLI11's
// "not expected" message.
int UnknownCommand(int argc, char** argv, const std::vector<std::string>& names) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word[0] == '-') {
            continue;
        }
        if (std::find(names.begin(), names.end(), word) != names.end()) {
            return ExitCode::Success;
        }
        const std::string nearest = NearestName(word, names);
        std::cerr << "qx7ctl: " << Quoted(word) << " is not a command"
                  << (nearest.empty() ? "" : "; did you mean " + nearest + "?")
                  << " (qx7ctl --help lists them)" << std::endl;
        return ExitCode::Usage;
    }
    return ExitCode::Success;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"qx7ctl - read, log, save, compare and set QX7 pH transmitters"};
    app.set_version_flag("--version", BuildVersion());
    app.require_subcommand(1);
    app.footer(ExitCodes);

    std::vector<std::string> names;
    std::vector<std::pair<CLI::App*, CommandRun>> commands;
    for (const Subcommand& row : Subcommands) {
        CLI::App* command = app.add_subcommand(row.Name, row.Summary);
        command->footer(ExitCodes);
        commands.emplace_back(command, row.Define(*command));
        names.push_back(row.Name);
    }
    std::string topic;
    CLI::App* help = app.add_subcommand("help", "show the help of qx7ctl or of one command");
    help->add_option("COMMAND", topic, "the command to explain");
    names.push_back("help");

    if (const int code = UnknownCommand(argc, argv, names)) {
        return code;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version are a success; every other parse problem is a usage error.
        return app.exit(error) == 0 ? ExitCode::Success : ExitCode::Usage;
    }

    if (help->parsed()) {
        for (const auto& [command, run] : commands) {
            if (command->get_name() == topic) {
                std::cout << command->help();
                return ExitCode::Success;
            }
        }
        if (!topic.empty()) {
            return UnknownCommand(2, std::vector<char*>{argv[0], topic.data()}.data(), names);
        }
        std::cout << app.help();
        return ExitCode::Success;
    }
    try {
        for (const auto& [command, run] : commands) {
            if (command->parsed()) {
                return run();
            }
        }
        return ExitCode::Usage;
    } catch (const CommandFailure& failure) {
        std::cerr << "qx7ctl: " << failure.what() << std::endl;
        return failure.Code;
    } catch (const std::exception& error) {
        std::cerr << "qx7ctl: " << Escaped(error.what()) << std::endl;
        return ExitCode::Usage;
    }
}
