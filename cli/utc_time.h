// Times as the sinks of watch write them, computed by calendar arithmetic alone: the C
// library's gmtime shares one buffer between threads, and its thread-safe forms differ
// between the platforms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Milliseconds since 1970-01-01T00:00:00Z as 2026-03-15T10:20:30.123Z.
std::string UtcText(std::int64_t unixMilliseconds);
// The reverse of UtcText; none for any other text.
std::optional<std::int64_t> UnixMillisecondsOf(const std::string& text);
