#include "cli/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calibration/calibration_date.h"

double ShortestDouble(float value) {
    if (!std::isfinite(value)) {
        return static_cast<double>(value);
    }
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    return std::strtod(text, nullptr);
}

std::string FloatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", ShortestDouble(value));
    return text;
}

std::string DoubleText(double value) {
    char text[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) {
            break;
        }
    }
    return text;
}

std::optional<std::string> DateText(std::uint32_t word) {
    if (word == 0) {
        return std::nullopt;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04x-%02x-%02x", static_cast<unsigned>(word >> 16),
                  static_cast<unsigned>(word >> 8 & 0xFF), static_cast<unsigned>(word & 0xFF));
    return std::string(text);
}

std::optional<std::uint32_t> ParseDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
    }
    CalendarDay day;
    day.Year = static_cast<std::uint32_t>(std::stoul(text.substr(0, 4)));
    day.Month = static_cast<std::uint32_t>(std::stoul(text.substr(5, 2)));
    day.Day = static_cast<std::uint32_t>(std::stoul(text.substr(8, 2)));
    if (!IsRealDay(day)) {
        return std::nullopt;
    }
    return EncodeCalibrationDate(day.Year, day.Month, day.Day).Word();
}

std::string VersionText(std::uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", static_cast<unsigned>(version >> 8),
                  static_cast<unsigned>(version & 0xFF));
    return text;
}

std::string WireBytes(std::uint32_t value, int size) {
    std::string text;
    for (int i = 0; i < size; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(value >> (8 * i) & 0xFF));
        text += (i == 0 ? "" : " ") + std::string(byte);
    }
    return text;
}

namespace {

std::string EscapedExcept(const std::string& text, char keep) {
    std::string escaped;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != keep && c != '\\') {
            escaped += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            escaped += escape;
        }
    }
    return escaped;
}

}  // namespace

std::string Escaped(const std::string& text) {
    return EscapedExcept(text, '\\');
}

std::string Quoted(const std::string& text) {
    return "\"" + EscapedExcept(text, '"') + "\"";
}
