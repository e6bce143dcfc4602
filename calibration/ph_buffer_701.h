// The buffer solution labelled "pH 7.01" at 25 degrees Celsius.
#pragma once

#include "calibration/ph_buffer.h"

class PhBuffer701 : public PhBuffer {
  public:
    PhBuffer701();

    float PhAt(float celsius) const override;
};
