#include "records/json_writer.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when the byte starts none.
std::size_t Utf8SequenceAt(const char* text, std::size_t size, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > size) {
        return 0;
    }
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not text.
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

}  // namespace

void JsonWriter::Separate() {
    if (NeedsComma) {
        Out.Append(',');
    }
    NeedsComma = true;
}

void JsonWriter::BeginObject() {
    Separate();
    Out.Append('{');
    NeedsComma = false;
}

void JsonWriter::EndObject() {
    Out.Append('}');
    NeedsComma = true;
}

void JsonWriter::BeginArray() {
    Separate();
    Out.Append('[');
    NeedsComma = false;
}

void JsonWriter::EndArray() {
    Out.Append(']');
    NeedsComma = true;
}

void JsonWriter::Key(const char* name) {
    String(name);
    Out.Append(':');
    // The value belongs to its key: no comma between them.
    NeedsComma = false;
}

void JsonWriter::String(const char* text) {
    String(text, std::strlen(text));
}

void JsonWriter::String(const char* text, std::size_t size) {
    Separate();
    Out.Append('"');
    for (std::size_t i = 0; i < size;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char escaped[8];
        if (c == '"' || c == '\\') {
            Out.Append('\\');
            Out.Append(static_cast<char>(c));
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            Out.Append(escaped);
            ++i;
        } else if (c < 0x80) {
            Out.Append(static_cast<char>(c));
            ++i;
        } else if (const std::size_t length = Utf8SequenceAt(text, size, i)) {
            Out.Append(text + i, length);
            i += length;
        } else {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            Out.Append(escaped);
            ++i;
        }
    }
    Out.Append('"');
}

void JsonWriter::Float(float value) {
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    Separate();
    char text[32];
    // Nine significant digits always read back exactly; fewer are tried first so that
    // -59.16 stays -59.16 instead of -59.1599998. Starting at the integer part's digits keeps
    // 90 from being written 9e+01.
    const double magnitude = std::fabs(static_cast<double>(value));
    const int integerDigits = magnitude >= 1.0 ? static_cast<int>(std::log10(magnitude)) + 1 : 1;
    for (int digits = integerDigits < 9 ? integerDigits : 9; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    Out.Append(text);
}

void JsonWriter::Fixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    Separate();
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    Out.Append(text);
}

void JsonWriter::Rounded(double value, int decimals) {
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    Separate();
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (std::strchr(text, '.') != nullptr) {
        char* end = text + std::strlen(text);
        while (end[-1] == '0') {
            *--end = '\0';
        }
        if (end[-1] == '.') {
            *--end = '\0';
        }
    }
    // A value that rounds to zero from below is zero, not "-0".
    Out.Append(std::strcmp(text, "-0") == 0 ? "0" : text);
}

void JsonWriter::Integer(std::int64_t value) {
    Separate();
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    Out.Append(text);
}

void JsonWriter::Bool(bool value) {
    Separate();
    Out.Append(value ? "true" : "false");
}

void JsonWriter::Null() {
    Separate();
    Out.Append("null");
}
