// Windows runs a Ctrl+C handler on a thread of its own and has no per-thread signal masks:
// nothing is held, and the caller's joins do the waiting.
#include "cli/stop_signal_hold.h"

StopSignalHold::StopSignalHold() = default;

StopSignalHold::~StopSignalHold() = default;

void StopSignalHold::WaitUntil(const std::function<bool()>&) {}
