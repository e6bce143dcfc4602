#include "calibration/buffer_check.h"

#include <cmath>

BufferGuess GuessBuffer(const BufferList& buffers, double voltage, double celsius, double offset,
                        double slope) {
    BufferGuess guess{};
    const double atTemperature = slope * (celsius + 273.15) / 298.15;
    if (!std::isfinite(voltage) || !std::isfinite(atTemperature) || atTemperature == 0.0) {
        return guess;
    }
    guess.Ph = 7.0 + (voltage - offset) / atTemperature;
    for (std::int32_t i = 0; i < buffers.GetCount(); ++i) {
        const PhBuffer* buffer = buffers.ItemAt(i);
        const double ph = buffer->PhAt(static_cast<float>(celsius));
        if (guess.Nearest == nullptr ||
            std::fabs(ph - guess.Ph) < std::fabs(guess.NearestPh - guess.Ph)) {
            guess.Nearest = buffer;
            guess.NearestPh = ph;
        }
    }
    return guess;
}

bool IsOtherBuffer(const BufferGuess& guess, double expectedPh) {
    return guess.Nearest != nullptr && std::isfinite(guess.Ph) &&
           std::fabs(guess.Ph - expectedPh) > BufferCheckMargin &&
           std::fabs(guess.Ph - guess.NearestPh) < std::fabs(guess.Ph - expectedPh);
}
