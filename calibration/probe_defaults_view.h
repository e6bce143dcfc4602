// Where the probe-kind defaults show each value the transmitter accepted (the probe type dialog).
#pragma once

#include <cstdint>

class ProbeDefaultsView {
  public:
    virtual ~ProbeDefaultsView() = default;

    // Called only after a successful write, with the value the transmitter returned.
    virtual void ShowProbeKind(std::uint8_t kind) = 0;
    virtual void ShowCalibrationDate(std::uint32_t date) = 0;
    virtual void ShowOffset(float millivolt) = 0;
    virtual void ShowSensitivity(float slope) = 0;
    virtual void ShowRangeMin(float value) = 0;
    virtual void ShowRangeMax(float value) = 0;
};
