// qx7sim: a QX7 transmitter on a pseudo-terminal, for development, tests and demonstrations.
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "tools/serving_priority.h"
#include "tools/simulator_engine.h"
#include "tools/simulator_options.h"
#include "tools/simulator_shell.h"

namespace {

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int) {
    Stop = 1;
}

bool LoadConfig(const std::string& path, SimulatorEngine& engine) {
    // A folder opens as a stream that reads nothing; taken as an empty file, it would start a
    // transmitter nobody asked for.
    struct stat info {};
    std::ifstream in(path);
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !in) {
        std::fprintf(stderr, "qx7sim: cannot read the config file %s\n", path.c_str());
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string error;
        if (!engine.Apply(line, error)) {
            std::fprintf(stderr, "qx7sim: %s:%d: %s\n", path.c_str(), number, error.c_str());
            return false;
        }
    }
    if (in.bad()) {
        std::fprintf(stderr, "qx7sim: cannot read the config file %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SimulatorOptions options;
    std::string error;
    if (!SimulatorOptions::Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "qx7sim: %s\n%s", error.c_str(), SimulatorOptions::Usage());
        return 2;
    }
    if (options.Help) {
        std::fputs(SimulatorOptions::Usage(), stdout);
        return 0;
    }
    SimulatorEngine engine;
    if (!options.Config.empty() && !LoadConfig(options.Config, engine)) {
        return 2;
    }
    for (const auto& line : options.Lines) {
        if (!engine.Apply(line, error)) {
            std::fprintf(stderr, "qx7sim: %s: %s\n", line.c_str(), error.c_str());
            return 2;
        }
    }

    // The signals are taken only inside the loop's wait, so a stop request is never lost
    // between a check and the wait.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGHUP);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SimulatorShell shell(engine);
    if (!shell.Start(options, error)) {
        std::fprintf(stderr, "qx7sim: %s\n", error.c_str());
        return 1;
    }
    {
        // Raised only around the loop: the start-up and exit work of a sanitized build would
        // hold a processor at real-time priority.
        std::optional<ServingPriority> serving;
        if (options.RealTime) {
            serving.emplace();
        }
        shell.Run(Stop);
    }
    return 0;
}
