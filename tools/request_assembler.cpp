// Request framing of the simulated transmitter.
#include "tools/request_assembler.h"

#include "link/transmitter_link.h"

bool RequestAssembler::Push(std::uint8_t byte) {
    if (Pending.empty() && byte != TransmitterLink::RequestStart) {
        return false;
    }
    Pending.push_back(byte);
    if (Pending.size() == 3 && Pending[2] > MaxFrame - 4) {
        // No request is that long: resynchronise on the next start byte.
        Pending.clear();
        return false;
    }
    if (Pending.size() >= 3 && Pending.size() == static_cast<std::size_t>(Pending[2]) + 4) {
        Completed.swap(Pending);
        Pending.clear();
        return true;
    }
    return false;
}
