// The temperature sensors the tool offers, and which of them the transmitter is set for.
#pragma once

#include <cstdint>

#include "calibration/temp_sensor.h"
#include "link/transmitter.h"
#include "objects/collection.h"

class SensorList : public Collection {
  public:
    SensorList() : Collection(5, 0) {}

    // The sensor at index, or none when index is outside the list (a combo box with no
    // selection reports -1).
    TempSensor* SensorAt(std::int32_t index) const {
        return index >= 0 && index < Count ? static_cast<TempSensor*>(Items[index]) : nullptr;
    }
};

// Pt100 at index 0, Pt1000 at index 1; the caller owns the list.
SensorList* CreateSensorList();

// The first sensor whose degree and five coefficients equal what the transmitter reported
// (commands 52 and 53), compared as floats: a NaN never matches and +0 equals -0. None when
// no sensor matches.
TempSensor* FindSensor(const SensorList& sensors, std::uint8_t degree,
                       const CoefficientBlock& block);
