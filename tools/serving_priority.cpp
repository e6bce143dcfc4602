// Raising and giving back qx7sim's processor priority.
#include "tools/serving_priority.h"

#include <sched.h>
#include <sys/resource.h>

#include <cerrno>

namespace {

constexpr int AheadNice = -10;

}  // namespace

ServingPriority::ServingPriority() {
    sched_param realTime{};
    realTime.sched_priority = 1;
    if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &realTime) == 0) {
        Got = Level::RealTime;
        return;
    }
    // -1 is a valid niceness, so only errno tells a failure.
    errno = 0;
    const int before = getpriority(PRIO_PROCESS, 0);
    if (errno != 0 || before <= AheadNice) {
        return;
    }
    if (setpriority(PRIO_PROCESS, 0, AheadNice) == 0) {
        NiceBefore = before;
        Got = Level::Ahead;
    }
}

ServingPriority::~ServingPriority() {
    if (Got == Level::RealTime) {
        sched_param normal{};
        sched_setscheduler(0, SCHED_OTHER, &normal);
    } else if (Got == Level::Ahead) {
        // Lowering a priority needs no privilege.
        setpriority(PRIO_PROCESS, 0, NiceBefore);
    }
}
