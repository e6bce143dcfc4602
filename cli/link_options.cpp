#include "cli/link_options.h"

#include <cstdlib>

#include "cli/command_failure.h"

void AddLinkOptions(CLI::App& command, LinkOptions& options) {
    command.add_option("PORT", options.Port,
                       "serial port: COM3, ttyUSB0 or a device path (default: $QX7_PORT)");
    command
        .add_option("--retries", options.Retries,
                    "tries more for a read that gets no valid reply (default 2)")
        ->check(CLI::Range(0, 100));
}

void ResolvePositionals(LinkOptions& options,
                        const std::vector<std::pair<const char*, std::string*>>& later) {
    const bool oneShort = later.empty() ? options.Port.empty() : later.back().second->empty();
    const char* fallback = std::getenv("QX7_PORT");
    if (oneShort && fallback != nullptr && fallback[0] != '\0') {
        // Only the last argument may be missing: with two missing, nothing moves and the
        // message below names the first of them.
        const bool onlyLast = later.size() < 2 || !later[later.size() - 2].second->empty();
        if (onlyLast && (later.empty() || !options.Port.empty())) {
            for (std::size_t i = later.size(); i-- > 1;) {
                *later[i].second = *later[i - 1].second;
            }
            if (!later.empty()) {
                *later.front().second = options.Port;
            }
            options.Port = fallback;
        } else if (options.Port.empty()) {
            options.Port = fallback;
        }
    }
    if (options.Port.empty()) {
        throw CommandFailure(ExitCode::Usage, "PORT is required (or set QX7_PORT)");
    }
    for (const auto& [name, value] : later) {
        if (value->empty()) {
            throw CommandFailure(ExitCode::Usage, std::string(name) + " is required");
        }
    }
}
