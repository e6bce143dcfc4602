// SHA-256 from the platform's own cryptography: OpenSSL on POSIX systems, CNG on Windows.
#pragma once

#include <string>

// The digest of data as 64 lower-case hex digits; false when the platform refused.
bool Sha256Hex(const std::string& data, std::string& hex);

// The 32 digest bytes as lower-case hex.
std::string HexOfDigest(const unsigned char* digest);
