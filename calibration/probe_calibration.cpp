#include "calibration/probe_calibration.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calibration/coefficient_block_codec.h"

ProbeCalibration::ProbeCalibration(Transmitter& link, CalibrationView& view,
                                   const BufferList& buffers, const LocalDate& clock)
    : Link(link), View(view), Buffers(buffers), Clock(clock) {}

bool ProbeCalibration::Setup() {
    Ready = false;
    if (!Link.ReadProbeKind(Kind) || !Link.ReadSensorDegree(Polynomial.Degree)) {
        return false;
    }
    CoefficientBlock block{};
    if (!Link.ReadSensorCoefficients(block)) {
        return false;
    }
    DecodeCoefficientBlock(block, Polynomial.Coefficients);
    Ready = Polynomial.IsUsable();
    return Ready;
}

const CalibrationPoint& ProbeCalibration::GetPoint(std::int32_t point) const {
    return Points[point == 2 ? 1 : 0];
}

CalibrationPoint* ProbeCalibration::PointAt(std::int32_t point) {
    if (point != 1 && point != 2) {
        return nullptr;
    }
    return &Points[point - 1];
}

bool ProbeCalibration::StartPoint(std::int32_t point, float standard) {
    if (!StartPoint(point)) {
        return false;
    }
    StartStandard = standard;
    return true;
}

bool ProbeCalibration::StartPoint(std::int32_t point) {
    if (!Ready || IsSampling() || PointAt(point) == nullptr) {
        return false;
    }
    StartStandard.reset();
    State.ResistanceSum = 0.0;
    State.VoltageSum = 0.0;
    State.VoltageSquareSum = 0.0;
    State.SampleCount = 0;
    State.Phase = point;
    return true;
}

void ProbeCalibration::TakeSample() {
    if (!IsSampling()) {
        return;
    }
    float resistance = 0.0f;
    if (!Link.ReadResistanceSample(resistance) || IsFaultPattern(resistance)) {
        return;
    }
    float voltage = 0.0f;
    if (!Link.ReadVoltageSample(voltage)) {
        return;
    }
    State.ResistanceSum += resistance;
    State.VoltageSum += voltage;
    State.VoltageSquareSum += static_cast<double>(voltage) * voltage;
    View.StepProgress();
    ++State.SampleCount;
    if (State.SampleCount >= SamplesPerPoint) {
        FinishPoint();
    }
}

bool ProbeCalibration::TakeMeasuredPoint(std::int32_t point, const MeasuredMean& mean) {
    if (!Ready || IsSampling() || PointAt(point) == nullptr) {
        return false;
    }
    StartStandard.reset();
    StorePoint(point, mean);
    return true;
}

bool ProbeCalibration::TakeMeasuredPoint(std::int32_t point, float standard,
                                         const MeasuredMean& mean) {
    if (!Ready || IsSampling() || PointAt(point) == nullptr) {
        return false;
    }
    StartStandard = standard;
    StorePoint(point, mean);
    return true;
}

void ProbeCalibration::FinishPoint() {
    const std::int32_t point = State.Phase;
    State.Phase = CalibrationState::Idle;
    MeasuredMean mean;
    mean.Resistance = State.ResistanceSum / State.SampleCount;
    mean.Voltage = State.VoltageSum / State.SampleCount;
    mean.Samples = State.SampleCount;
    // The sample standard deviation; rounding can leave a tiny negative sum of squares.
    const double squares = State.VoltageSquareSum - mean.Voltage * State.VoltageSum;
    mean.VoltageSpread = std::sqrt(std::max(0.0, squares) / (State.SampleCount - 1));
    StorePoint(point, mean);
    View.ResetProgress();
}

void ProbeCalibration::StorePoint(std::int32_t point, const MeasuredMean& mean) {
    CalibrationPoint& target = Points[point - 1];
    target.Temperature = Polynomial.TemperatureAt(static_cast<float>(mean.Resistance));
    target.Voltage = static_cast<float>(mean.Voltage);
    // A measured point's own, not what the last sampled point left behind.
    target.Samples = mean.Samples;
    target.VoltageSpread = static_cast<float>(mean.VoltageSpread);

    bool usePreset = false;
    std::int32_t presetIndex = -1;
    View.GetPreset(point, usePreset, presetIndex);
    target.UsePreset = usePreset;
    target.PresetIndex = presetIndex;
    if (usePreset) {
        // A preset without a buffer behind it leaves no trustworthy standard; a NaN makes
        // the pair fail its check instead of using whatever was typed before.
        const PhBuffer* buffer = Buffers.ItemAt(presetIndex);
        target.Standard = buffer != nullptr ? buffer->PhAt(target.Temperature)
                                            : std::numeric_limits<float>::quiet_NaN();
        target.Valid = true;
    } else if (StartStandard) {
        target.Standard = *StartStandard;
        target.Valid = true;
    } else {
        // Started on a preset that was unchecked since: whatever the point held before
        // belongs to another solution, and a calibration from it would be plainly wrong.
        target.Valid = false;
    }
    StartStandard.reset();
    View.ShowPoint(point, target);
}

void ProbeCalibration::ClearPoint(std::int32_t point) {
    if (CalibrationPoint* target = PointAt(point)) {
        target->Valid = false;
    }
}

bool ProbeCalibration::AcceptPoints() const {
    return ::AcceptPoints(Kind, Points[0], Points[1]);
}

PairRefusal ProbeCalibration::RefusePoints() const {
    return ::RefusePoints(Kind, Points[0], Points[1]);
}

CalibrationResult ProbeCalibration::ComputeCalibration() const {
    return ::ComputeCalibration(Kind, Points[0], Points[1], Clock.Today());
}

CalibrationWrites ProbeCalibration::WriteCalibration(const CalibrationResult& result) {
    CalibrationWrites writes;
    float offset = result.Offset;
    writes.Offset = Link.WriteOffset(offset);
    if (writes.Offset) {
        View.ShowOffset(offset);
    }
    float slope = result.Slope;
    writes.Slope = Link.WriteSensitivity(slope);
    if (writes.Slope) {
        View.ShowSensitivity(slope);
    }
    std::uint32_t date = result.Date.Word();
    writes.Date = Link.WriteCalibrationDate(date);
    if (writes.Date) {
        View.ShowCalibrationDate(date);
    }
    return writes;
}
