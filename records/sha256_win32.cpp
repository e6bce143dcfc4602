#include <windows.h>

#include <bcrypt.h>

#include "records/sha256.h"

namespace {

// BCrypt calls return an NTSTATUS; 0 and the other non-negative values are success.
bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

}  // namespace

bool Sha256Hex(const char* data, std::size_t size, char (&hex)[Sha256TextSize]) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32];
    bool done = Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    // In slices, as BCryptHashData takes a 32-bit length.
    for (std::size_t at = 0; done && at < size;) {
        const ULONG slice = static_cast<ULONG>(size - at < 0x10000000 ? size - at : 0x10000000);
        done = Succeeded(
            BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data + at)), slice, 0));
        at += slice;
    }
    done = done && Succeeded(BCryptFinishHash(hash, digest, sizeof digest, 0));
    if (hash != nullptr) {
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (done) {
        HexOfDigest(digest, hex);
    }
    return done;
}
