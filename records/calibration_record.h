// One entry of a transmitter's calibration log: who did what to which transmitter, what it held
// before and after, what was measured, how the probe was judged, and how the writes ended.
#pragma once

#include <cstdint>
#include <optional>

#include "calibration/probe_rating.h"
#include "records/point_trace.h"
#include "records/text.h"

// The probe's calibration as a transmitter held it; what could not be read or written is none.
struct CalibrationValues {
    std::optional<std::uint8_t> ProbeKind;
    std::optional<float> Offset;        // mV
    std::optional<float> Slope;         // mV per pH or per decade
    std::optional<std::uint32_t> Date;  // packed-decimal word 0xYYYYMMDD, 0 for none
};

struct RecordedDevice {
    Text Identity;
    std::optional<std::uint16_t> Firmware;  // high byte major, low byte minor
    std::optional<std::int32_t> SerialNumber;
};

// One measured point of a calibration.
struct RecordedPoint {
    // The preset buffer's name (static text); none for a typed standard.
    const char* Buffer = nullptr;
    float Temperature = 0.0f;  // degrees Celsius
    // The standard at that temperature: pH, or a concentration for an ion-selective probe.
    float Standard = 0.0f;
    float Voltage = 0.0f;  // mean, mV
    std::int32_t Samples = 0;
    float VoltageSpread = 0.0f;  // standard deviation of the samples, mV
    // Every sample from immersion to acceptance, where the tool watched the probe settle;
    // empty where it took a fixed number of samples.
    PointTrace Trace;
};

enum class RecordEvent { Calibration, ProbeKindReset, Restore, Set, Undo };
const char* RecordEventName(RecordEvent event);

enum class RecordOutcome { Written, Refused, WriteFailed };
const char* RecordOutcomeName(RecordOutcome outcome);

struct CalibrationRecord {
    // Filled by StampRecord just before the record is kept.
    Text Time;  // UTC, 2026-06-30T08:15:02Z
    Text Program;
    Text Version;
    Text Operator;

    RecordedDevice Device;
    RecordEvent Event = RecordEvent::Calibration;
    CalibrationValues AsFound;
    CalibrationValues AsLeft;
    // A calibration has two points; a refused one only those that were measured.
    RecordedPoint Points[2];
    std::int32_t PointCount = 0;
    // The judgement of the values written; none when nothing was judged.
    std::optional<ProbeRating> Judgement;

    RecordOutcome Outcome = RecordOutcome::Written;
    // Why a calibration was refused.
    Text Reason;
    // The values whose writes failed (static names): "offset", "slope", "date", ...
    const char* FailedWrites[8] = {};
    std::int32_t FailedWriteCount = 0;

    // Ignored beyond the room there is.
    void AddPoint(const RecordedPoint& point);
    void AddFailedWrite(const char* name);
};
