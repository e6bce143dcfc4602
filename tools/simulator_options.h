// qx7sim's command line: its link, log and control FIFO, and its initial control lines.
#pragma once

#include <string>
#include <vector>

struct SimulatorOptions {
    std::string Link;
    std::string Log;
    std::string Control;
    std::string Config;
    // Control lines from the options, applied after the config file, in the order given.
    std::vector<std::string> Lines;
    // Serve at a priority that answers on the wire's time on a busy machine.
    bool RealTime = false;
    bool Help = false;

    // False, with a message in error, for an unknown option or one without its value.
    static bool Parse(int argc, const char* const* argv, SimulatorOptions& options,
                      std::string& error);
    static const char* Usage();
};
