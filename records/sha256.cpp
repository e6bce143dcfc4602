#include "records/sha256.h"

std::string HexOfDigest(const unsigned char* digest) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < 32; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 0x0F];
    }
    return hex;
}
