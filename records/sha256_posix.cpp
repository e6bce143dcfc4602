#include <openssl/evp.h>

#include <memory>

#include "records/sha256.h"

bool Sha256Hex(const char* data, std::size_t size, char (&hex)[Sha256TextSize]) {
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    // Each EVP call returns 1 on success.
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), data, size) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length != 32) {
        return false;
    }
    HexOfDigest(digest, hex);
    return true;
}
