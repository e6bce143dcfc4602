// Feeds arbitrary field texts to the number reader, and arbitrary floats to the float text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "framework/number_text.h"

namespace {

bool SameReading(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    std::uint32_t bitsA;
    std::uint32_t bitsB;
    std::memcpy(&bitsA, &a, sizeof bitsA);
    std::memcpy(&bitsB, &b, sizeof bitsB);
    return bitsA == bitsB;
}

// What the reader looks at: the characters up to a zero, commas taken as points.
std::string VisiblePart(std::string_view text) {
    std::string visible(text);
    visible.resize(std::strlen(visible.c_str()));
    for (char& c : visible) {
        if (c == ',') {
            c = '.';
        }
    }
    return visible;
}

void CheckReader(std::string_view text) {
    float value = 1.0f;
    const bool valid = ParseFloat(text, value);
    if (!valid && value != 0.0f) {
        std::abort();
    }
    if (!SameReading(ParseFloatOrZero(text), valid ? value : 0.0f)) {
        std::abort();
    }
    float again = 1.0f;
    if (ParseFloat(VisiblePart(text), again) != valid || !SameReading(again, value)) {
        std::abort();
    }
}

void CheckFloatText(float value, std::int32_t decimals) {
    char text[FloatTextSize + 256];
    if (!FormatFloat(text, sizeof text, decimals, value)) {
        std::abort();
    }
    // A text too long for a field is refused; every other one is read.
    float read;
    const bool readable = std::strlen(text) <= FieldReadLength;
    if (ParseFloat(text, read) != readable) {
        std::abort();
    }
    // A text that fits the field reads back within half a unit of its last decimal, plus the
    // float spacing there, which outgrows that unit among the subnormals.
    if (std::isfinite(value) && readable) {
        const double unit = std::pow(10.0, -decimals);
        const double error = std::fabs(static_cast<double>(read) - static_cast<double>(value));
        const float magnitude = std::fabs(value);
        const double spacing = static_cast<double>(
            std::nextafter(magnitude, std::numeric_limits<float>::infinity()) - magnitude);
        if (error > unit / 2 + spacing + (unit + static_cast<double>(magnitude)) * 1e-7) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReader(text);
    if (size >= 5) {
        float value;
        std::memcpy(&value, data, sizeof value);
        CheckFloatText(value, data[4] <= 128 ? data[4] % (MaxFieldDecimals + 1) : data[4] - 128);
    }
    return 0;
}
