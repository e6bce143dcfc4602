// The buffer solution labelled "pH 10.01" at 25 degrees Celsius.
#pragma once

#include "calibration/ph_buffer.h"

class PhBuffer1001 : public PhBuffer {
  public:
    PhBuffer1001();

    float PhAt(float celsius) const override;
};
