#include "cli/stop_signals.h"

#include <csignal>

#include "cli/command_failure.h"

namespace {

// Set from the signal handler, the one thing a handler may safely touch; hence file scope.
volatile std::sig_atomic_t ArrivedSignal = 0;

extern "C" void NoteSignal(int number) {
    ArrivedSignal = number;
}

}  // namespace

StopSignals::StopSignals() {
    std::signal(SIGINT, NoteSignal);
    std::signal(SIGTERM, NoteSignal);
}

StopSignals::~StopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void NoteStopSignal(int number) {
    ArrivedSignal = number;
}

bool StopRequested() {
    return ArrivedSignal != 0;
}

int StopExitCode() {
    switch (ArrivedSignal) {
        case 0:
            return ExitCode::Success;
        case SIGTERM:
            return ExitCode::Terminated;
        default:
            return ExitCode::Interrupted;
    }
}
