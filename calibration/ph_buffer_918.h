// The buffer solution labelled "pH 9.18" at 25 degrees Celsius.
#pragma once

#include "calibration/ph_buffer.h"

class PhBuffer918 : public PhBuffer {
  public:
    PhBuffer918();

    float PhAt(float celsius) const override;
};
