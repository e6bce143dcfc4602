// qx7ctl ports: the serial ports, in the window's order.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/command_failure.h"
#include "cli/subcommands.h"
#include "cli/value_text.h"
#include "link/port_list.h"

namespace {

struct PortsOptions {
    bool Json = false;
};

int RunPorts(const PortsOptions& options) {
    PortList* ports = BuildPortList();
    nlohmann::json names = nlohmann::json::array();
    for (std::int32_t i = 0; i < ports->GetCount(); ++i) {
        names.push_back(static_cast<const char*>(ports->At(i)));
    }
    ports->Free();
    if (options.Json) {
        std::cout << names.dump(2) << std::endl;
    } else {
        for (const nlohmann::json& name : names) {
            std::cout << Escaped(name.get<std::string>()) << '\n';
        }
    }
    return ExitCode::Success;
}

}  // namespace

CommandRun DefinePortsCommand(CLI::App& command) {
    auto options = std::make_shared<PortsOptions>();
    command.add_flag("--json", options->Json, "print a JSON array on standard output");
    return [options] { return RunPorts(*options); };
}
