// qx7ctl watch: the five live values, polled at an interval, on the terminal and in a CSV.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/live_watch.h"
#include "cli/read_retry.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/transmitter_settings.h"

namespace {

struct WatchCommandOptions {
    LinkOptions Link;
    WatchOptions Watch;
};

// The interval's seconds go into clock arithmetic: anything but a finite, positive number of
// at most a day is refused before it can overflow there.
std::string IntervalProblem(const std::string& text) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0 ||
        seconds > 86400.0) {
        return "the interval must be a number of seconds above 0 and at most 86400";
    }
    return "";
}

std::string CountProblem(const std::string& text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || text.find_first_not_of('0') == std::string::npos || text.size() > 18) {
        return "the count must be a whole number of polls from 1 on";
    }
    return "";
}

int RunWatch(WatchCommandOptions& options) {
    ResolvePositionals(options.Link, {});
    options.Watch.Retries = options.Link.Retries;
    if (!options.Watch.CsvPath.empty()) {
        CheckCsvFile(options.Watch.CsvPath);
    }
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    std::int32_t serialNumber = 0;
    if (!ReadWithRetries(options.Link.Retries,
                         [&] { return link.ReadSerialNumber(serialNumber); })) {
        throw CommandFailure(ExitCode::Communication,
                             "no valid reply when reading the serial number");
    }
    const WatchSummary summary = WatchLiveValues(link, serialNumber, options.Watch);
    std::cerr << summary.Polls << " polls recorded, " << summary.Failed
              << " of them with a value that got no reply\n";
    if (StopRequested()) {
        return StopExitCode();
    }
    return summary.Polls > 0 && summary.Failed == summary.Polls ? ExitCode::Communication
                                                                : ExitCode::Success;
}

}  // namespace

CommandRun DefineWatchCommand(CLI::App& command) {
    auto options = std::make_shared<WatchCommandOptions>();
    AddLinkOptions(command, options->Link);
    command.add_option("--interval", options->Watch.IntervalSeconds, "seconds between polls")
        ->check(CLI::Validator(IntervalProblem, "SECONDS"));
    command.add_option("--count", options->Watch.Count, "number of polls (default: until Ctrl-C)")
        ->check(CLI::Validator(CountProblem, "N"));
    command.add_option("--csv", options->Watch.CsvPath, "append one row per poll to this file");
    return [options] { return RunWatch(*options); };
}
