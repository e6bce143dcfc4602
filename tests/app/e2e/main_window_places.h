// Where the tests find the main window's controls: ids of the controls that have one, and the
// layout positions (0 = first created) of the value fields, which all have id 0.
#pragma once

#include <cstddef>

namespace place {

constexpr int PortBox = 101;
constexpr int InputDampingBox = 107;
constexpr int SensorBox = 110;
constexpr int TempDampingBox = 111;
constexpr int ReadCheck = 112;

constexpr size_t Identity = 3;
constexpr size_t Firmware = 5;
constexpr size_t SerialNumber = 7;
constexpr size_t Output = 9;
constexpr size_t Probe = 11;
constexpr size_t Calibration = 14;
constexpr size_t Offset = 18;
constexpr size_t Sensitivity = 20;
constexpr size_t RangeMin = 24;
constexpr size_t RangeMax = 27;
constexpr size_t Resistance = 36;
constexpr size_t Temperature = 38;
constexpr size_t Voltage = 40;
constexpr size_t MeasuredValue = 42;
constexpr size_t Ratio = 44;

}  // namespace place
