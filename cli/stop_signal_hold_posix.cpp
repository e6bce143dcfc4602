#include "cli/stop_signal_hold.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <ctime>

#include "cli/stop_signals.h"

namespace {

sigset_t StopSet() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    return stop;
}

}  // namespace

StopSignalHold::StopSignalHold() {
    static_assert(sizeof(sigset_t) <= sizeof(Previous), "a signal mask fits the hold");
    const sigset_t stop = StopSet();
    // 0 on success; it fails only for an invalid argument, which these are not.
    pthread_sigmask(SIG_BLOCK, &stop, reinterpret_cast<sigset_t*>(Previous));
}

StopSignalHold::~StopSignalHold() {
    // A stop signal that came after the last wait is delivered to the handler here.
    pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(Previous), nullptr);
}

void StopSignalHold::WaitUntil(const std::function<bool()>& done) {
    const sigset_t stop = StopSet();
    while (!done()) {
        // A twentieth of a second between looks at done(); a signal ends the wait at once.
        const timespec slice = {0, 50000000};
        // The signal's number on success; -1 with EAGAIN when the slice passed, EINTR when
        // another signal's handler ran.
        const int number = sigtimedwait(&stop, nullptr, &slice);
        if (number > 0) {
            NoteStopSignal(number);
        }
    }
}
