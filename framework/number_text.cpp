#include "framework/number_text.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Unsigned big integers for exact decimal <-> binary conversion, least significant 32-bit limb
// first. 768 bits hold every intermediate of both directions: a 24-bit significand times 10^149
// when formatting, and when reading a numerator below 10^73 over a denominator below 10^119,
// each shifted up to the other's width.
constexpr std::size_t LimbCount = 24;
using Limbs = std::array<std::uint32_t, LimbCount>;

Limbs FromSmall(std::uint32_t value) {
    Limbs n{};
    n[0] = value;
    return n;
}

void MultiplyAdd(Limbs& n, std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& limb : n) {
        const std::uint64_t product = std::uint64_t{limb} * factor + carry;
        limb = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
}

void MultiplyByPowerOfTen(Limbs& n, std::int32_t exponent) {
    for (; exponent >= 9; exponent -= 9) {
        MultiplyAdd(n, 1000000000u, 0);
    }
    for (; exponent > 0; --exponent) {
        MultiplyAdd(n, 10u, 0);
    }
}

// Divides n by divisor in place and returns the remainder.
std::uint32_t DivideSmall(Limbs& n, std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = LimbCount; i-- > 0;) {
        const std::uint64_t part = (remainder << 32) | n[i];
        n[i] = static_cast<std::uint32_t>(part / divisor);
        remainder = part % divisor;
    }
    return static_cast<std::uint32_t>(remainder);
}

Limbs ShiftLeft(const Limbs& n, std::int32_t bits) {
    Limbs out{};
    const std::size_t limbs = static_cast<std::size_t>(bits) / 32;
    const std::uint32_t rest = static_cast<std::uint32_t>(bits) % 32;
    for (std::size_t i = LimbCount; i-- > limbs;) {
        std::uint32_t limb = n[i - limbs] << rest;
        if (rest != 0 && i > limbs) {
            limb |= n[i - limbs - 1] >> (32 - rest);
        }
        out[i] = limb;
    }
    return out;
}

Limbs ShiftRight(const Limbs& n, std::int32_t bits) {
    Limbs out{};
    const std::size_t limbs = static_cast<std::size_t>(bits) / 32;
    const std::uint32_t rest = static_cast<std::uint32_t>(bits) % 32;
    for (std::size_t i = 0; i + limbs < LimbCount; ++i) {
        std::uint32_t limb = n[i + limbs] >> rest;
        if (rest != 0 && i + limbs + 1 < LimbCount) {
            limb |= n[i + limbs + 1] << (32 - rest);
        }
        out[i] = limb;
    }
    return out;
}

bool TestBit(const Limbs& n, std::int32_t bit) {
    return (n[static_cast<std::size_t>(bit) / 32] >> (bit % 32)) & 1u;
}

std::int32_t BitLength(const Limbs& n) {
    for (std::size_t i = LimbCount; i-- > 0;) {
        if (n[i] != 0) {
            std::int32_t bits = static_cast<std::int32_t>(i) * 32;
            for (std::uint32_t limb = n[i]; limb != 0; limb >>= 1) {
                ++bits;
            }
            return bits;
        }
    }
    return 0;
}

bool IsZero(const Limbs& n) {
    return BitLength(n) == 0;
}

int Compare(const Limbs& a, const Limbs& b) {
    for (std::size_t i = LimbCount; i-- > 0;) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

// a -= b, with a >= b.
void Subtract(Limbs& a, const Limbs& b) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < LimbCount; ++i) {
        const std::uint64_t difference = std::uint64_t{a[i]} - b[i] - borrow;
        a[i] = static_cast<std::uint32_t>(difference);
        borrow = (difference >> 32) & 1u;
    }
}

// Room for the 157 digits of a 24-bit significand times 10^149 / 2^1.
constexpr std::size_t MaxDigits = 160;

// Writes the digits of n, least significant first, and returns their count.
std::size_t ReversedDigits(std::uint64_t n, char* reversed) {
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    return count;
}

// The digits of significand * 2^exponent * 10^shown, rounded half up at the last digit, most
// significant first; returns their count. shown is 0 for a whole number and at most -exponent
// otherwise, so only a fraction's first dropped bit decides the rounding.
std::size_t ScaledDigits(std::uint32_t significand, std::int32_t exponent, std::size_t shown,
                         char (&digits)[MaxDigits]) {
    char reversed[MaxDigits];
    std::size_t count = 0;
    // Values below 2^64 with up to 12 decimals, every field of the tool among them, need no
    // big integers.
    if (exponent >= 0 && exponent <= 40) {
        count = ReversedDigits(std::uint64_t{significand} << exponent, reversed);
    } else if (exponent < 0 && shown <= 12) {
        std::uint64_t product = significand;
        for (std::size_t i = 0; i < shown; ++i) {
            product *= 10;
        }
        const std::int32_t drop = -exponent;
        const std::uint64_t kept = drop < 64 ? product >> drop : 0;
        const bool roundUp = drop <= 64 && ((product >> (drop - 1)) & 1u) != 0;
        count = ReversedDigits(kept + (roundUp ? 1 : 0), reversed);
    } else {
        Limbs scaled = FromSmall(significand);
        if (exponent >= 0) {
            scaled = ShiftLeft(scaled, exponent);
        } else {
            MultiplyByPowerOfTen(scaled, static_cast<std::int32_t>(shown));
            const bool roundUp = TestBit(scaled, -exponent - 1);
            scaled = ShiftRight(scaled, -exponent);
            if (roundUp) {
                MultiplyAdd(scaled, 1, 1);
            }
        }
        // Nine digits at a time while the number is wider than 64 bits.
        while (BitLength(scaled) > 64) {
            std::uint32_t chunk = DivideSmall(scaled, 1000000000u);
            for (int i = 0; i < 9; ++i) {
                reversed[count++] = static_cast<char>('0' + chunk % 10);
                chunk /= 10;
            }
        }
        count += ReversedDigits((std::uint64_t{scaled[1]} << 32) | scaled[0], reversed + count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        digits[i] = reversed[count - 1 - i];
    }
    return count;
}

// Leaves "" where a whole text does not fit: a cut number would be read as another number.
bool Refuse(char* text, std::size_t size) {
    if (size > 0) {
        text[0] = '\0';
    }
    return false;
}

// Copies a built text of length characters and its terminating zero into the caller's buffer.
bool Deliver(char* text, std::size_t size, const char* built, std::size_t length) {
    if (length >= size) {
        return Refuse(text, size);
    }
    std::memcpy(text, built, length);
    text[length] = '\0';
    return true;
}

constexpr char HexDigits[] = "0123456789abcdef";

// Appends value in lower-case hexadecimal with at least minDigits digits.
std::size_t AppendHex(char* out, std::uint32_t value, int minDigits) {
    char reversed[8];
    int count = 0;
    do {
        reversed[count++] = HexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0 || count < minDigits);
    for (int i = 0; i < count; ++i) {
        out[i] = reversed[count - 1 - i];
    }
    return static_cast<std::size_t>(count);
}

constexpr std::uint32_t SignificandBits = 23;
constexpr std::int32_t ExponentBias = 127;
// The exponent of the lowest bit of a denormal float, 2^-149.
constexpr std::int32_t LowestBitExponent = -149;

float SignedInfinity(bool negative) {
    const float infinity = std::numeric_limits<float>::infinity();
    return negative ? -infinity : infinity;
}

// The float nearest to mantissa * 10^exponent, ties to even, with a mantissa of digits
// significant decimal digits (at least 1).
float NearestFloat(const Limbs& mantissa, std::int32_t digits, std::int32_t exponent) {
    // From 10^39 on the value is above the largest float plus half its last unit; below
    // 10^-46 it is below half the smallest denormal.
    if (exponent + digits - 1 >= 39) {
        return std::numeric_limits<float>::infinity();
    }
    if (exponent + digits <= -46) {
        return 0.0f;
    }
    Limbs numerator = mantissa;
    Limbs denominator = FromSmall(1);
    MultiplyByPowerOfTen(exponent >= 0 ? numerator : denominator,
                         exponent >= 0 ? exponent : -exponent);

    // numerator / denominator lies in [2^binary, 2^(binary+1)).
    std::int32_t binary = BitLength(numerator) - BitLength(denominator);
    const Limbs scaledNumerator = ShiftLeft(numerator, binary < 0 ? -binary : 0);
    const Limbs scaledDenominator = ShiftLeft(denominator, binary > 0 ? binary : 0);
    if (Compare(scaledNumerator, scaledDenominator) < 0) {
        --binary;
    }
    if (binary > ExponentBias) {
        return std::numeric_limits<float>::infinity();
    }

    // The weight of the last significand bit; denormals share the lowest one.
    std::int32_t unitExponent = (binary < 1 - ExponentBias ? 1 - ExponentBias : binary) -
                                static_cast<std::int32_t>(SignificandBits);
    Limbs remainder = ShiftLeft(numerator, unitExponent < 0 ? -unitExponent : 0);
    const Limbs unit = ShiftLeft(denominator, unitExponent > 0 ? unitExponent : 0);

    // The quotient has at most 24 bits: long division one bit at a time.
    std::uint32_t quotient = 0;
    for (std::int32_t bit = SignificandBits; bit >= 0; --bit) {
        const Limbs step = ShiftLeft(unit, bit);
        if (Compare(remainder, step) >= 0) {
            Subtract(remainder, step);
            quotient |= 1u << bit;
        }
    }
    const int half = Compare(ShiftLeft(remainder, 1), unit);
    if (half > 0 || (half == 0 && (quotient & 1u) != 0)) {
        ++quotient;
    }
    if (quotient == (2u << SignificandBits)) {
        quotient >>= 1;
        ++unitExponent;
    }
    if (unitExponent + static_cast<std::int32_t>(SignificandBits) > ExponentBias) {
        return std::numeric_limits<float>::infinity();
    }
    return std::ldexp(static_cast<float>(quotient), unitExponent);
}

bool EqualsIgnoringCase(std::string_view text, const char* word) {
    if (text.size() != std::strlen(word)) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != word[i]) {
            return false;
        }
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool FormatInteger(char* text, std::size_t size, std::int32_t value) {
    char built[IntegerTextSize];
    char reversed[IntegerTextSize];
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        magnitude = 0u - magnitude;
    }
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::size_t length = 0;
    if (value < 0) {
        built[length++] = '-';
    }
    while (count > 0) {
        built[length++] = reversed[--count];
    }
    return Deliver(text, size, built, length);
}

bool FormatFloat(char* text, std::size_t size, std::int32_t decimals, float value) {
    if (std::isnan(value)) {
        return Deliver(text, size, "Nan", 3);
    }
    const bool negative = std::signbit(value);
    if (std::isinf(value)) {
        return Deliver(text, size, negative ? "-Inf" : "+Inf", 4);
    }
    const std::size_t fractionDigits = decimals > 0 ? static_cast<std::size_t>(decimals) : 0;

    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t biased = (bits >> SignificandBits) & 0xFF;
    const std::uint32_t fraction = bits & ((1u << SignificandBits) - 1);
    const std::uint32_t significand = biased == 0 ? fraction : fraction | (1u << SignificandBits);
    const std::int32_t exponent = biased == 0 ? LowestBitExponent
                                              : static_cast<std::int32_t>(biased) - ExponentBias -
                                                    static_cast<std::int32_t>(SignificandBits);

    // Only the first -exponent decimals of a float can be non-zero; the rest are padding.
    std::size_t exact = 0;
    if (exponent < 0) {
        const std::size_t available = static_cast<std::size_t>(-exponent);
        exact = fractionDigits < available ? fractionDigits : available;
    }
    char digits[MaxDigits];
    const std::size_t digitCount = ScaledDigits(significand, exponent, exact, digits);
    const std::size_t integerDigits = digitCount > exact ? digitCount - exact : 1;
    const std::size_t length =
        (negative ? 1 : 0) + integerDigits + (fractionDigits > 0 ? 1 + fractionDigits : 0);
    if (length >= size) {
        return Refuse(text, size);
    }

    char* out = text;
    if (negative) {
        *out++ = '-';
    }
    // The digits, preceded by the zeros that the integer part and the decimals need.
    const std::size_t leadingZeros = integerDigits + exact - digitCount;
    for (std::size_t i = 0; i < integerDigits + exact; ++i) {
        if (i == integerDigits) {
            *out++ = '.';
        }
        *out++ = i < leadingZeros ? '0' : digits[i - leadingZeros];
    }
    if (fractionDigits > 0 && exact == 0) {
        *out++ = '.';
    }
    for (std::size_t i = exact; i < fractionDigits; ++i) {
        *out++ = '0';
    }
    *out = '\0';
    return true;
}

bool FormatVersion(char* text, std::size_t size, std::uint16_t value) {
    char built[VersionTextSize];
    std::size_t length = AppendHex(built, value >> 8, 1);
    built[length++] = '.';
    length += AppendHex(built + length, value & 0xFFu, 2);
    return Deliver(text, size, built, length);
}

bool FormatDate(char* text, std::size_t size, std::uint32_t value) {
    char built[DateTextSize];
    std::size_t length = AppendHex(built, value >> 16, 4);
    built[length++] = '-';
    length += AppendHex(built + length, (value >> 8) & 0xFFu, 2);
    built[length++] = '-';
    length += AppendHex(built + length, value & 0xFFu, 2);
    return Deliver(text, size, built, length);
}

const char* OutputKindName(std::uint8_t code) {
    static constexpr const char* Names[4] = {
        "Pasivní 4 až 20 mA",
        "Aktivní 0 až 20 mA",
        "Aktivní 0 až 5 V",
        "Aktivní 0 až 10 V",
    };
    return Names[code & 3];
}

const char* InputKindName(std::uint8_t code) {
    static constexpr const char* Names[2] = {"pH", "ISE"};
    return Names[code & 1];
}

bool ParseFloat(std::string_view text, float& value) {
    value = 0.0f;
    const std::size_t end = text.find('\0');
    if (end != std::string_view::npos) {
        text.remove_suffix(text.size() - end);
    }
    if (text.size() > FieldReadLength) {
        return false;
    }

    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::string_view rest(text.data() + at, text.size() - at);
    if (EqualsIgnoringCase(rest, "inf")) {
        value = SignedInfinity(negative);
        return true;
    }
    if (EqualsIgnoringCase(rest, "nan")) {
        value = std::copysign(std::numeric_limits<float>::quiet_NaN(), negative ? -1.0f : 1.0f);
        return true;
    }

    // The digits are gathered as one integer; each digit after the point lowers the exponent.
    Limbs mantissa{};
    std::int32_t exponent = 0;
    std::int32_t significantDigits = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (IsDigit(c)) {
            MultiplyAdd(mantissa, 10, static_cast<std::uint32_t>(c - '0'));
            anyDigit = true;
            if (significantDigits > 0 || c != '0') {
                ++significantDigits;
            }
            if (seenPoint) {
                --exponent;
            }
        } else if ((c == '.' || c == ',') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool exponentNegative = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            exponentNegative = text[at] == '-';
            ++at;
        }
        if (at == text.size() || !IsDigit(text[at])) {
            return false;
        }
        // Far beyond any float either way; saturating keeps the sum from overflowing.
        std::int32_t written = 0;
        for (; at < text.size() && IsDigit(text[at]); ++at) {
            written = written < 100000 ? written * 10 + (text[at] - '0') : written;
        }
        exponent += exponentNegative ? -written : written;
    }
    if (at != text.size()) {
        return false;
    }
    const float magnitude =
        IsZero(mantissa) ? 0.0f : NearestFloat(mantissa, significantDigits, exponent);
    value = negative ? -magnitude : magnitude;
    return true;
}

float ParseFloatOrZero(std::string_view text) {
    float value;
    return ParseFloat(text, value) ? value : 0.0f;
}
