// The texts and JSON numbers qx7ctl shows for wire values: floats, dates, versions, bytes,
// and any text that came from a file or a device, escaped before it reaches a terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The shortest decimal that reads back as the same float, as a double: -59.16f becomes
// -59.16 rather than -59.15999984741211, and a JSON file holding it restores the same bits.
double ShortestDouble(float value);
std::string FloatText(float value);
// The shortest decimal that reads back as the same double ("nan", "inf" as printf has them).
std::string DoubleText(double value);

// The packed-decimal word's digits as YYYY-MM-DD, whether or not they name a real day;
// none for the all-zero "no date".
std::optional<std::string> DateText(std::uint32_t word);
// YYYY-MM-DD with a real month and day, as the packed-decimal word; none otherwise.
std::optional<std::uint32_t> ParseDate(const std::string& text);

// The firmware word as major.minor in hexadecimal digits (0x0103 is 1.03).
std::string VersionText(std::uint16_t version);
// The low `size` bytes of value as they travel, low byte first: "FF FF FF FF".
std::string WireBytes(std::uint32_t value, int size);

// Printable ASCII as it is, every other byte (control characters, escape sequences, bytes of
// other encodings) and the backslash as \xNN, so no text can act on the user's terminal.
std::string Escaped(const std::string& text);
// Escaped, in double quotes, with the quote escaped too.
std::string Quoted(const std::string& text);
