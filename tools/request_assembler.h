// Cuts the request frames out of the byte stream the simulated transmitter hears.
// Anything before a start byte is line noise and is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class RequestAssembler {
  public:
    // The largest request: start, code, length 60, 60 data bytes, checksum.
    static constexpr std::size_t MaxFrame = 64;

    // Takes one byte; true when it completed a frame, which Frame() then holds until the
    // next call.
    bool Push(std::uint8_t byte);
    const std::vector<std::uint8_t>& Frame() const { return Completed; }

  private:
    std::vector<std::uint8_t> Pending;
    std::vector<std::uint8_t> Completed;
};
