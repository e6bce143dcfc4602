// Number texts of the numeric fields, kept free of the window system so they can be tested alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Buffer sizes, terminating zero included, that always hold the text of the matching
// FormatXxx: "-2147483648", "ff.ff", "ffff-ff-ff".
constexpr std::size_t IntegerTextSize = 12;
constexpr std::size_t VersionTextSize = 6;
constexpr std::size_t DateTextSize = 11;

// The most decimals the tool's fields show, and a buffer that holds the text of every float
// with that many decimals or fewer: a sign, the 39 integer digits of the largest float, the
// point, the decimals and the terminating zero. A transmitter may report magnitudes of 1e25
// and more, whose texts need more than 30 characters.
constexpr std::int32_t MaxFieldDecimals = 3;
constexpr std::size_t FloatTextSize = 1 + 39 + 1 + MaxFieldDecimals + 1;

// The most decimals a field is ever asked to show.
constexpr std::int32_t MaxShownDecimals = 32;
// The longest text a field reads as a number: every float text with up to MaxShownDecimals
// decimals, so that what a field shows reads back as the same float. A longer text is refused
// rather than cut, since a cut number is another number.
constexpr std::size_t FieldReadLength = 1 + 39 + 1 + MaxShownDecimals;

// Each FormatXxx writes its whole text and a terminating zero into text[0 .. size-1] and
// returns true. When the text does not fit it writes "" (if size > 0) and returns false:
// a number is never shown cut short.

// Signed decimal, "-" for negative values, no padding.
bool FormatInteger(char* text, std::size_t size, std::int32_t value);

// Fixed point with exactly decimals digits after a "." (no point for 0; a negative count is
// taken as 0), from the float's exact binary value, halves rounded away from zero. "-" whenever
// the sign bit is set, even when every digit is 0. "Nan", "+Inf" and "-Inf" whatever the
// decimals.
bool FormatFloat(char* text, std::size_t size, std::int32_t decimals, float value);

// "%lx.%02lx" of the high and the low byte: 0x0103 gives "1.03", 0x1A0B gives "1a.0b".
bool FormatVersion(char* text, std::size_t size, std::uint16_t value);

// "%04lx-%02lx-%02lx" of bits 31..16, 15..8 and 7..0: the packed-decimal date 0x20240315
// gives "2024-03-15".
bool FormatDate(char* text, std::size_t size, std::uint32_t value);

// Names of the analogue output (code & 3) and of the probe input (code & 1) in Windows-1250;
// every code has one.
const char* OutputKindName(std::uint8_t code);
const char* InputKindName(std::uint8_t code);

// Reads a field's text as a number. The text ends at its first zero and must have at most
// FieldReadLength characters; each "," in it is taken as ".". Accepted: leading spaces, an optional
// sign, then digits with at most one point and an optional exponent (e or E, optional sign,
// digits), or "Inf" or "Nan" in any letter case; nothing may follow. The decimal value is rounded
// once, to the nearest float (ties to even). value is always written: the number, or 0.0 when the
// text is not one. Returns whether it was one (an empty text is not).
bool ParseFloat(std::string_view text, float& value);

// The number in the text, or 0.0 when the text is not a number.
float ParseFloatOrZero(std::string_view text);
