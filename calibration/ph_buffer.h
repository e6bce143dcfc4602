// A buffer solution whose pH is taken at the measured temperature, not from its label.
#pragma once

#include "objects/base_object.h"

class PhBuffer : public BaseObject {
  public:
    // pH at a temperature in degrees Celsius; the temperature is not limited.
    virtual float PhAt(float celsius) const = 0;

    // Windows-1250 text shown in the preset combo boxes; static, never freed.
    const char* Name = nullptr;
};
