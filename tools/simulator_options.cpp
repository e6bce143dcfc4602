// Parsing of qx7sim's command line.
#include "tools/simulator_options.h"

#include <cstring>

namespace {

// Options that are one control line: the option's value follows the line's first word.
struct Shortcut {
    const char* Option;
    const char* Line;
};

constexpr Shortcut Shortcuts[] = {
    {"--set", "set "},       {"--identity", "set identity "},
    {"--fault", "fault "},   {"--delay", "delay "},
    {"--baud", "baud "},     {"--noise", "set noise "},
    {"--seed", "set seed "}, {"--clamp", "clamp "},
    {"--echo", "echo "},     {"--exec", ""},
    {"--settle", "settle "},
};

}  // namespace

const char* SimulatorOptions::Usage() {
    return "usage: qx7sim --link PATH [options]\n"
           "  --link PATH       make a pseudo-terminal and a symlink PATH to its slave side\n"
           "  --log FILE        append one line per request frame: ms since start, hex bytes\n"
           "  --control PATH    make a FIFO that takes one control command per line\n"
           "  --config FILE     initial state, one 'key = value' per line\n"
           "  --set KEY=VALUE   set a stored or live value (e.g. --set ph=4)\n"
           "  --identity TEXT   answer the identity request with TEXT\n"
           "  --fault FAULT     inject a fault, e.g. --fault 'silent on 38 times 2'\n"
           "  --silent          answer nothing at all\n"
           "  --delay MS        wait MS milliseconds before every reply\n"
           "  --pace            pace both directions at 9600 baud (1.04 ms per byte)\n"
           "  --baud N          pace both directions at N baud (0: no pacing)\n"
           "  --noise A         noise of A mV on voltages (A/10 ohm on resistance)\n"
           "  --seed N          seed of the noise\n"
           "  --clamp 'KEY MIN MAX'   writes of KEY are stored clamped to MIN..MAX\n"
           "  --echo 'KEY VALUE'      the next write of KEY stores and echoes VALUE\n"
           "  --settle 'tau S noise SIGMA ...'  the probe settles after every change\n"
           "  --exec LINE       any control command\n"
           "  --realtime        serve real-time where allowed, else at nice -10, so that replies\n"
           "                    keep the wire's time on a busy machine\n"
           "  --help            this text\n"
           "See tools/README.md for the settings and control commands.\n";
}

bool SimulatorOptions::Parse(int argc, const char* const* argv, SimulatorOptions& options,
                             std::string& error) {
    options = SimulatorOptions();
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            options.Help = true;
            continue;
        }
        if (std::strcmp(option, "--silent") == 0) {
            options.Lines.push_back("fault silent");
            continue;
        }
        if (std::strcmp(option, "--realtime") == 0) {
            options.RealTime = true;
            continue;
        }
        if (std::strcmp(option, "--pace") == 0) {
            options.Lines.push_back("pace on");
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string("unknown option or missing value: ") + option;
            return false;
        }
        std::string value = argv[i + 1];
        std::string* path = std::strcmp(option, "--link") == 0      ? &options.Link
                            : std::strcmp(option, "--log") == 0     ? &options.Log
                            : std::strcmp(option, "--control") == 0 ? &options.Control
                            : std::strcmp(option, "--config") == 0  ? &options.Config
                                                                    : nullptr;
        if (path != nullptr) {
            // "--link --realtime" is an option put where its path belongs, not a file named
            // "--realtime" to make; a path that really starts so can be given as ./--name.
            if (value.rfind("--", 0) == 0) {
                error = std::string(option) + " takes a path, not " + value;
                return false;
            }
            *path = value;
            ++i;
            continue;
        }
        bool known = false;
        for (const auto& shortcut : Shortcuts) {
            if (std::strcmp(option, shortcut.Option) == 0) {
                options.Lines.push_back(shortcut.Line + value);
                known = true;
            }
        }
        if (!known) {
            error = std::string("unknown option: ") + option;
            return false;
        }
        ++i;
    }
    if (!options.Help && options.Link.empty()) {
        error = "--link PATH is required";
        return false;
    }
    return true;
}
