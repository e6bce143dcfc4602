#include "calibration/calibration_date.h"

std::uint32_t ToBcd(std::uint32_t n) {
    std::uint32_t bcd = 0;
    for (int shift = 0; n != 0 && shift < 32; shift += 4) {
        bcd |= (n % 10) << shift;
        n /= 10;
    }
    return bcd;
}

CalibrationDate EncodeCalibrationDate(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    const std::uint32_t bcdYear = ToBcd(year);
    CalibrationDate date;
    date.Bytes[0] = static_cast<std::uint8_t>(ToBcd(day));
    date.Bytes[1] = static_cast<std::uint8_t>(ToBcd(month));
    date.Bytes[2] = static_cast<std::uint8_t>(bcdYear);
    date.Bytes[3] = static_cast<std::uint8_t>(bcdYear >> 8);
    return date;
}
