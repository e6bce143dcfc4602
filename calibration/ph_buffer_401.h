// The buffer solution labelled "pH 4.01" at 25 degrees Celsius.
#pragma once

#include "calibration/ph_buffer.h"

class PhBuffer401 : public PhBuffer {
  public:
    PhBuffer401();

    float PhAt(float celsius) const override;
};
