// UTF-8 texts converted to Windows-1250 by the system's own tables rather than the compiler's,
// so that a test can check the bytes the build stores for a text it writes in UTF-8.
#pragma once

#include <string>

// What Windows1250 answers for a text that is not UTF-8 or has a character without a
// Windows-1250 byte; no window of the tool shows it.
inline constexpr char NoWindows1250Form[] = "(no Windows-1250 form)";

// The Windows-1250 bytes of the UTF-8 text utf8, without a terminating zero.
std::string Windows1250(const char* utf8);
