// The qx7ctl commands. Each returns the exit code or throws CommandFailure; messages go to
// standard error and results to standard output.
#pragma once

#include <string>
#include <vector>

#include "cli/live_watch.h"

struct InfoOptions {
    bool Json = false;
    std::vector<std::string> Limits;
    // YYYY-MM-DD; empty for the computer's date. Makes the age of a calibration reproducible.
    std::string Today;
};

struct RestoreOptions {
    bool DryRun = false;
    bool WithCalibration = false;
};

int RunPorts();
int RunInfo(const std::string& port, const InfoOptions& options);
int RunWatch(const std::string& port, const WatchOptions& options);
int RunBackup(const std::string& port, const std::string& path);
int RunDiff(const std::string& port, const std::string& path);
int RunRestore(const std::string& port, const std::string& path, const RestoreOptions& options);
int RunSet(const std::string& port, const std::string& key, const std::string& value);
