// The 100 ohm platinum sensor with the IEC 60751 temperature coefficient 0.00385.
#pragma once

#include "calibration/temp_sensor.h"

class Pt100Sensor : public TempSensor {
  public:
    Pt100Sensor();

    float ResistanceAt(float celsius) const override;
};
