// For a build without the platform's cryptography (the emulated 32-bit Linux build, for which
// no 32-bit OpenSSL is at hand): no hash, so no record is chained or checked.
#include "records/sha256.h"

bool Sha256Hex(const char*, std::size_t, char (&)[Sha256TextSize]) {
    return false;
}
