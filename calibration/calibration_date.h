// The packed-decimal date of the last probe calibration (command 60).
#pragma once

#include <cstdint>

struct CalibrationDate {
    // Day, month, year's low two digits, year's high two digits; two BCD digits each.
    std::uint8_t Bytes[4] = {};

    // The little-endian word the transmitter exchanges: 0xYYYYMMDD in BCD.
    std::uint32_t Word() const {
        return static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
               static_cast<std::uint32_t>(Bytes[2]) << 16 |
               static_cast<std::uint32_t>(Bytes[3]) << 24;
    }
};

// Decimal digit k of n goes to bits 4k..4k+3: 2026 becomes 0x2026.
std::uint32_t ToBcd(std::uint32_t n);

CalibrationDate EncodeCalibrationDate(std::uint32_t year, std::uint32_t month, std::uint32_t day);
