// One request frame as the transmitter simulator logged it.
#pragma once

#include <cstdint>
#include <vector>

struct LoggedFrame {
    // Milliseconds since the simulator started.
    unsigned long Milliseconds = 0;
    std::vector<std::uint8_t> Bytes;

    // The command code of a request frame (its second byte), or -1 for a frame too short.
    int Code() const { return Bytes.size() >= 2 ? Bytes[1] : -1; }
};
