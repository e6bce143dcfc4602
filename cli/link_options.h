// What every command that talks to a transmitter takes: the port (or QX7_PORT) and how often
// a read without a valid reply is tried again.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <utility>
#include <vector>

struct LinkOptions {
    std::string Port;
    int Retries = 2;
};

// Adds PORT as the first positional argument and --retries.
void AddLinkOptions(CLI::App& command, LinkOptions& options);

// When the command line leaves the port out and QX7_PORT names one, the arguments given sit
// one place early: they move one place on and the port comes from QX7_PORT. CommandFailure
// (exit code 2) naming the first argument still missing.
void ResolvePositionals(LinkOptions& options,
                        const std::vector<std::pair<const char*, std::string*>>& later);
