// One entry of a transmitter's calibration log: who did what to which transmitter, what it held
// before and after, what was measured, how the probe was judged, and how the writes ended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calibration/probe_rating.h"

// The probe's calibration as a transmitter held it; what could not be read or written is none.
struct CalibrationValues {
    std::optional<std::uint8_t> ProbeKind;
    std::optional<float> Offset;        // mV
    std::optional<float> Slope;         // mV per pH or per decade
    std::optional<std::uint32_t> Date;  // packed-decimal word 0xYYYYMMDD, 0 for none
};

struct RecordedDevice {
    std::string Identity;
    std::optional<std::uint16_t> Firmware;  // high byte major, low byte minor
    std::optional<std::int32_t> SerialNumber;
};

// One measured point of a calibration.
struct RecordedPoint {
    // The preset buffer's name; empty for a typed standard.
    std::string Buffer;
    float Temperature = 0.0f;  // degrees Celsius
    // The standard at that temperature: pH, or a concentration for an ion-selective probe.
    float Standard = 0.0f;
    float Voltage = 0.0f;  // mean, mV
    std::int32_t Samples = 0;
    float VoltageSpread = 0.0f;  // standard deviation of the samples, mV
};

enum class RecordEvent { Calibration, ProbeKindReset, Restore, Set, Undo };
const char* RecordEventName(RecordEvent event);

enum class RecordOutcome { Written, Refused, WriteFailed };
const char* RecordOutcomeName(RecordOutcome outcome);

struct CalibrationRecord {
    // Filled by StampRecord just before the record is kept.
    std::string Time;  // UTC, 2026-06-30T08:15:02Z
    std::string Program;
    std::string Version;
    std::string Operator;

    RecordedDevice Device;
    RecordEvent Event = RecordEvent::Calibration;
    CalibrationValues AsFound;
    CalibrationValues AsLeft;
    std::vector<RecordedPoint> Points;
    // The judgement of the values written; none when nothing was judged.
    std::optional<ProbeRating> Judgement;

    RecordOutcome Outcome = RecordOutcome::Written;
    // Why a calibration was refused.
    std::string Reason;
    // The values whose writes failed: "offset", "slope", "date", "probe_kind", ...
    std::vector<std::string> FailedWrites;
};
