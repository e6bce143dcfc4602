// A read of the transmitter tried again when it gets no valid reply, as --retries allows,
// unless a stop was requested meanwhile.
#pragma once

#include "cli/stop_signals.h"

template <typename Read>
bool ReadWithRetries(int retries, Read read) {
    for (int attempt = 0;; ++attempt) {
        if (read()) {
            return true;
        }
        if (attempt >= retries || StopRequested()) {
            return false;
        }
    }
}
