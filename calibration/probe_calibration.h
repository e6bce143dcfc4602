// The two-point probe calibration that the calibration dialog drives from its controls and timer.
#pragma once

#include <cstdint>
#include <optional>

#include "calibration/buffer_list.h"
#include "calibration/calibration_point.h"
#include "calibration/calibration_result.h"
#include "calibration/calibration_state.h"
#include "calibration/calibration_view.h"
#include "calibration/local_date.h"
#include "calibration/temperature_polynomial.h"
#include "calibration/two_point_calibration.h"
#include "link/transmitter.h"

// Which of the three writes of a calibration the transmitter acknowledged.
// A point's means over the samples it was taken from, as a guided calibration measures them.
struct MeasuredMean {
    double Resistance = 0.0;
    double Voltage = 0.0;  // mV
    std::int32_t Samples = 0;
    double VoltageSpread = 0.0;  // sample standard deviation, mV
};

struct CalibrationWrites {
    bool Offset = false;
    bool Slope = false;
    bool Date = false;
};

// Set-up reads, the sampling of one point per tick, and the checked computation and writing
// of offset, slope and date; everything shown goes through the CalibrationView.
class ProbeCalibration {
  public:
    // Holds references only; all four must outlive the calibration.
    ProbeCalibration(Transmitter& link, CalibrationView& view, const BufferList& buffers,
                     const LocalDate& clock);

    ProbeCalibration(const ProbeCalibration&) = delete;
    ProbeCalibration& operator=(const ProbeCalibration&) = delete;

    // Reads the probe kind (51), the temperature polynomial's degree (52) and coefficients
    // (53); the first failed read stops. A degree with no coefficients to use counts as a
    // failure too. Nothing can be started unless this succeeded.
    bool Setup();
    std::uint8_t GetKind() const { return Kind; }
    const TemperaturePolynomial& GetPolynomial() const { return Polynomial; }

    bool IsSampling() const { return State.Phase != CalibrationState::Idle; }
    const CalibrationState& GetState() const { return State; }
    // point is 1 or 2; any other number reads point 1.
    const CalibrationPoint& GetPoint(std::int32_t point) const;

    // Starts sampling point 1 or 2; refused (false) while a point is being sampled or when
    // set-up did not succeed. The point keeps its validity and values until it finishes.
    // Without a standard the point must end with a preset buffer checked, or it ends not
    // valid: nothing else says which solution it was measured in.
    bool StartPoint(std::int32_t point);
    // The same with the standard typed for the point; a preset checked at the finish still
    // takes precedence.
    bool StartPoint(std::int32_t point, float standard);
    // One timer tick: reads one resistance and one voltage sample and counts them when both
    // are good; the 36th counted sample finishes the point. Nothing while idle.
    void TakeSample();
    // A point whose means were measured elsewhere (a guided calibration that waits for
    // stability instead of counting samples) goes through the same finish as a sampled one:
    // temperature from the transmitter's polynomial, the preset buffer at that temperature.
    // Refused while a point is being sampled or when set-up did not succeed.
    bool TakeMeasuredPoint(std::int32_t point, const MeasuredMean& mean);
    bool TakeMeasuredPoint(std::int32_t point, float standard, const MeasuredMean& mean);
    // Makes point 1 or 2 not valid, also while it is being sampled.
    void ClearPoint(std::int32_t point);

    bool AcceptPoints() const;
    // Why AcceptPoints refuses the pair; PairRefusal::None when it accepts it.
    PairRefusal RefusePoints() const;
    // Only after AcceptPoints; the date is today's.
    CalibrationResult ComputeCalibration() const;
    // Writes offset (58), slope (59) and date (60) in this order, each attempted whatever
    // the previous gave; the view shows each success with the returned value.
    CalibrationWrites WriteCalibration(const CalibrationResult& result);

  private:
    void FinishPoint();
    void StorePoint(std::int32_t point, const MeasuredMean& mean);
    CalibrationPoint* PointAt(std::int32_t point);

    Transmitter& Link;
    CalibrationView& View;
    const BufferList& Buffers;
    const LocalDate& Clock;

    bool Ready = false;
    std::uint8_t Kind = 0;
    TemperaturePolynomial Polynomial;
    CalibrationState State;
    // The typed standard that the running point was started with, if any.
    std::optional<float> StartStandard;
    CalibrationPoint Points[2];
};
