#include "calibration/two_point_calibration.h"

#include <cmath>

#include "calibration/probe_kind.h"

namespace {

constexpr float MinStandardSeparation = 1.0f;
constexpr long double MinVoltageSeparation = 25.0L;
// Slightly under 3 degrees, held in extended precision so that the single-precision
// difference is compared with the decimal value itself.
constexpr long double MaxTemperatureSeparation = 2.9815L;

constexpr double KelvinAt0 = 273.15;
constexpr double KelvinAt25 = 298.15;
constexpr double NeutralPh = 7.0;

bool IsFinitePoint(const CalibrationPoint& point) {
    return std::isfinite(point.Standard) && std::isfinite(point.Temperature) &&
           std::isfinite(point.Voltage);
}

// Separation of the standards before rounding; 0 for an unknown kind, which always fails.
long double StandardSeparation(std::uint8_t kind, float standard1, float standard2) {
    const long double n1 = standard1;
    const long double n2 = standard2;
    switch (kind) {
        case ProbeKindPh:
            return std::fabs(n2 - n1);
        case ProbeKindIse:
            return std::fabs(std::log10(n2 / n1));
        default:
            return 0.0L;
    }
}

}  // namespace

bool AcceptPoints(std::uint8_t kind, const CalibrationPoint& point1,
                  const CalibrationPoint& point2) {
    return RefusePoints(kind, point1, point2) == PairRefusal::None;
}

PairRefusal RefusePoints(std::uint8_t kind, const CalibrationPoint& point1,
                         const CalibrationPoint& point2) {
    if (!point1.Valid || !point2.Valid) {
        return PairRefusal::PointNotMeasured;
    }
    // An infinite standard (the number fields accept "inf") would pass every separation
    // rule and yield a zero slope, so only finite values count as a measurement.
    if (!IsFinitePoint(point1) || !IsFinitePoint(point2)) {
        return PairRefusal::NotFinite;
    }
    // Each comparison is written so that a NaN fails it.
    const float standards =
        static_cast<float>(StandardSeparation(kind, point1.Standard, point2.Standard));
    if (!(standards >= MinStandardSeparation)) {
        return PairRefusal::StandardsTooClose;
    }
    const long double voltages =
        std::fabs(static_cast<long double>(point2.Voltage) - point1.Voltage);
    if (!(voltages > MinVoltageSeparation)) {
        return PairRefusal::VoltagesTooClose;
    }
    const float temperatures = static_cast<float>(
        std::fabs(static_cast<long double>(point2.Temperature) - point1.Temperature));
    if (!(static_cast<long double>(temperatures) < MaxTemperatureSeparation)) {
        return PairRefusal::TemperaturesTooFarApart;
    }
    return PairRefusal::None;
}

const char* PairRefusalText(PairRefusal refusal) {
    switch (refusal) {
        case PairRefusal::None:
            return "";
        case PairRefusal::PointNotMeasured:
            return "a point is not measured";
        case PairRefusal::NotFinite:
            return "a point's value is not a finite number";
        case PairRefusal::StandardsTooClose:
            return "the standards are less than one pH unit or decade apart";
        case PairRefusal::VoltagesTooClose:
            return "the voltages are not more than 25 mV apart";
        case PairRefusal::TemperaturesTooFarApart:
            return "the temperatures are 2.98 degrees or more apart";
    }
    return "";
}

CalibrationResult ComputeCalibration(std::uint8_t kind, const CalibrationPoint& point1,
                                     const CalibrationPoint& point2, const CalendarDay& today) {
    const double n1 = point1.Standard;
    const double n2 = point2.Standard;
    const double u1 = point1.Voltage;
    const double u2 = point2.Voltage;

    double slope = 0.0;
    double offset = 0.0;
    if (kind == ProbeKindIse) {
        slope = static_cast<float>((u2 - u1) / std::log10(n2 / n1));
        offset = u1 - std::log10(n1) * slope;
    } else {
        slope = static_cast<float>((u2 - u1) / (n2 - n1));
        offset = u1 - (n1 - NeutralPh) * slope;
    }
    const double meanTemperature =
        (static_cast<double>(point2.Temperature) + point1.Temperature) * 0.5;

    CalibrationResult result;
    result.Offset = static_cast<float>(offset);
    result.Slope = static_cast<float>(slope * KelvinAt25 / (meanTemperature + KelvinAt0));
    result.Date = EncodeCalibrationDate(today.Year, today.Month, today.Day);
    return result;
}
