// The 1000 ohm platinum sensor: the Pt100 curve scaled by ten.
#pragma once

#include "calibration/pt100_sensor.h"

class Pt1000Sensor : public Pt100Sensor {
  public:
    Pt1000Sensor();
};
