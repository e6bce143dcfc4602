// Feeds arbitrary reply bytes, in arbitrary read chunks, to the link's reply reader: it must
// stay inside its frame buffer and accept only well-formed replies of the expected length.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/transmitter_link.h"
#include "tests/fuzz/memory_line.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "accepted a bad reply: %s\n", what);
        std::abort();
    }
}

void CheckAccepted(const TransmitterLink& link, std::uint8_t expected) {
    const std::uint8_t* frame = link.FrameBytes();
    Check(frame[0] == 0x06, "start byte");
    Check(frame[1] == expected, "length");
    Check(Line.Delivered.size() == expected + 3u, "more or fewer bytes read than the frame");
    Check(std::memcmp(Line.Delivered.data(), frame, Line.Delivered.size()) == 0,
          "frame differs from the bytes read");
    unsigned sum = 0;
    for (unsigned i = 0; i < expected + 3u; ++i) {
        sum += frame[i];
    }
    Check(sum % 256 == 0, "checksum");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TransmitterLink* link = [] {
        auto* made = new TransmitterLink;
        made->Open("memory");
        return made;
    }();
    Line.Begin = link->FrameBytes();
    Line.End = Line.Begin + 64;
    Line.Input = data;
    Line.Size = size;
    Line.Position = 0;
    // Expected lengths of every reply the command set reads, and a few it never does: 250
    // is the one a header can announce while summing to zero (06 FA).
    static const std::uint8_t Lengths[] = {1, 2, 4, 8, 20, 0, 61, 62, 250};
    while (Line.Position < Line.Size) {
        std::uint8_t expected = Lengths[Line.Input[Line.Position++] % sizeof Lengths];
        if (expected == 8) {
            const char* identity = link->ReadIdentity();
            if (identity != nullptr) {
                CheckAccepted(*link, expected);
                Check(std::strlen(identity) <= 8, "identity longer than 8");
            }
            continue;
        }
        link->SendFrame(Command::SerialNumber, 0);
        if (link->ReceiveFrame(expected)) {
            CheckAccepted(*link, expected);
        }
    }
    return 0;
}
