#include <sys/file.h>

#include <cerrno>

#include "records/log_lock.h"

bool HoldLog(std::FILE* file) {
    // flock returns 0 on success; a signal may interrupt the wait, which is then resumed.
    int result = 0;
    do {
        result = flock(fileno(file), LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}
