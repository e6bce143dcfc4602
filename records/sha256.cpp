#include "records/sha256.h"

void HexOfDigest(const unsigned char* digest, char (&hex)[Sha256TextSize]) {
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 32; ++i) {
        hex[2 * i] = digits[digest[i] >> 4];
        hex[2 * i + 1] = digits[digest[i] & 0x0F];
    }
    hex[64] = '\0';
}
