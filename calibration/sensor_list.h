// The temperature sensors the tool offers, and which of them the transmitter is set for.
#pragma once

#include <cstdint>

#include "calibration/temp_sensor.h"
#include "link/transmitter.h"
#include "objects/typed_collection.h"

class SensorList : public TypedCollection<TempSensor> {
  public:
    SensorList() : TypedCollection(5, 0) {}
};

// Pt100 at index 0, Pt1000 at index 1; the caller owns the list.
SensorList* CreateSensorList();

// The first sensor whose degree and five coefficients equal what the transmitter reported
// (commands 52 and 53), compared as floats: a NaN never matches and +0 equals -0. None when
// no sensor matches.
TempSensor* FindSensor(const SensorList& sensors, std::uint8_t degree,
                       const CoefficientBlock& block);
