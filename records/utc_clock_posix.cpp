#include <ctime>

#include "records/utc_clock.h"

Text UtcClock::Now() const {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    char text[32];
    // gmtime_r returns null on failure, strftime 0.
    if (gmtime_r(&now, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) {
        return {};
    }
    return Text(text);
}
