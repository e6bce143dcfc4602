// The arithmetic of a two-point calibration: is a pair usable, and its offset and 25 degree slope.
#pragma once

#include <cstdint>

#include "calibration/calibration_point.h"
#include "calibration/calibration_result.h"
#include "calibration/local_date.h"

// The first rule of AcceptPoints that a pair breaks.
enum class PairRefusal {
    None,
    PointNotMeasured,
    NotFinite,
    StandardsTooClose,
    VoltagesTooClose,
    TemperaturesTooFarApart,
};

// Both points valid; standards at least one pH unit (or one decade) apart after rounding
// to single precision; voltages more than 25 mV apart; temperatures less than 2.9815
// degrees apart. A NaN or an infinity anywhere rejects the pair, as does a kind other than
// pH and ISE.
bool AcceptPoints(std::uint8_t kind, const CalibrationPoint& point1,
                  const CalibrationPoint& point2);
// The same rules, naming the one that refuses the pair (None when it is accepted). An unknown
// kind's standards are never far enough apart.
PairRefusal RefusePoints(std::uint8_t kind, const CalibrationPoint& point1,
                         const CalibrationPoint& point2);
// A short English phrase for a record; empty for None.
const char* PairRefusalText(PairRefusal refusal);

// Only for a pair that AcceptPoints admitted. today becomes the calibration date.
CalibrationResult ComputeCalibration(std::uint8_t kind, const CalibrationPoint& point1,
                                     const CalibrationPoint& point2, const CalendarDay& today);
