// The buffer solution labelled "pH 6.86" at 25 degrees Celsius.
#pragma once

#include "calibration/ph_buffer.h"

class PhBuffer686 : public PhBuffer {
  public:
    PhBuffer686();

    float PhAt(float celsius) const override;
};
