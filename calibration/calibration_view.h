// What the probe calibration shows and asks while it runs; the calibration dialog implements it.
#pragma once

#include <cstdint>

#include "calibration/calibration_point.h"

class CalibrationView {
  public:
    virtual ~CalibrationView() = default;

    // One more sample of the running point was counted.
    virtual void StepProgress() = 0;
    // The running point finished; the progress display starts again from empty.
    virtual void ResetProgress() = 0;
    // Asked as a point finishes (point 1 or 2): was it taken in a preset buffer, and which
    // index of the buffer list.
    virtual void GetPreset(std::int32_t point, bool& usePreset, std::int32_t& presetIndex) = 0;
    // A point finished: its temperature, voltage and, with a preset, the buffer's pH as its
    // standard; or, not valid, it had no standard to go with them. Its start button may be
    // enabled again either way.
    virtual void ShowPoint(std::int32_t point, const CalibrationPoint& values) = 0;
    // A result write succeeded; the value is what the transmitter returned.
    virtual void ShowOffset(float millivolt) = 0;
    virtual void ShowSensitivity(float slope) = 0;
    virtual void ShowCalibrationDate(std::uint32_t date) = 0;
};
