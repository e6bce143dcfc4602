// SHA-256 from the platform's own cryptography: OpenSSL on POSIX systems, CNG on Windows.
#pragma once

#include <cstddef>

// 64 lower-case hex digits and a terminating zero.
constexpr std::size_t Sha256TextSize = 65;

// The digest of the bytes as hex; false when the platform refused.
bool Sha256Hex(const char* data, std::size_t size, char (&hex)[Sha256TextSize]);

// The 32 digest bytes as hex.
void HexOfDigest(const unsigned char* digest, char (&hex)[Sha256TextSize]);
