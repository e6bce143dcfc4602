#include "records/record_line.h"

#include <cstdio>
#include <cstring>

#include "calibration/probe_kind.h"
#include "records/json_writer.h"

const char* const FirstLinePrevious =
    "0000000000000000000000000000000000000000000000000000000000000000";

namespace {

constexpr char SequenceKey[] = "{\"seq\":";
constexpr char PreviousKey[] = ",\"prev_sha256\":\"";
constexpr std::size_t HashLength = 64;

// 0xYYYYMMDD in packed decimal as YYYY-MM-DD; 0 (no date) as null.
void WriteDate(JsonWriter& json, const std::optional<std::uint32_t>& date) {
    if (!date || *date == 0) {
        json.Null();
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04x-%02x-%02x", static_cast<unsigned>(*date >> 16),
                  static_cast<unsigned>(*date >> 8 & 0xFF), static_cast<unsigned>(*date & 0xFF));
    json.String(text);
}

void WriteFloat(JsonWriter& json, const std::optional<float>& value) {
    if (value) {
        json.Float(*value);
    } else {
        json.Null();
    }
}

void WriteKind(JsonWriter& json, const std::optional<std::uint8_t>& kind) {
    if (!kind) {
        json.Null();
    } else if (*kind == ProbeKindPh) {
        json.String("pH");
    } else if (*kind == ProbeKindIse) {
        json.String("ISE");
    } else {
        json.Integer(*kind);
    }
}

void WriteValues(JsonWriter& json, const char* key, const CalibrationValues& values) {
    json.Key(key);
    json.BeginObject();
    json.Key("probe_kind");
    WriteKind(json, values.ProbeKind);
    json.Key("offset_mv");
    WriteFloat(json, values.Offset);
    json.Key("slope_mv");
    WriteFloat(json, values.Slope);
    json.Key("calibration_date");
    WriteDate(json, values.Date);
    json.EndObject();
}

void WriteDevice(JsonWriter& json, const RecordedDevice& device) {
    json.Key("device");
    json.BeginObject();
    json.Key("identity");
    json.String(device.Identity);
    json.Key("firmware");
    if (device.Firmware) {
        char text[16];
        std::snprintf(text, sizeof text, "%x.%02x", static_cast<unsigned>(*device.Firmware >> 8),
                      static_cast<unsigned>(*device.Firmware & 0xFF));
        json.String(text);
    } else {
        json.Null();
    }
    json.Key("serial_number");
    if (device.SerialNumber) {
        json.Integer(*device.SerialNumber);
    } else {
        json.Null();
    }
    json.EndObject();
}

// [seconds, mV, degrees] per sample, rounded to what the transmitter resolves (its voltage is
// shown to 0.001 mV), to keep a 300-sample point to a few kilobytes.
void WriteTrace(JsonWriter& json, const PointTrace& trace) {
    json.Key("trace");
    json.BeginArray();
    for (std::size_t i = 0; i < trace.Size(); ++i) {
        json.BeginArray();
        json.Rounded(trace[i].Seconds, 1);
        json.Rounded(trace[i].Voltage, 3);
        json.Rounded(trace[i].Temperature, 2);
        json.EndArray();
    }
    json.EndArray();
}

void WritePoints(JsonWriter& json, const CalibrationRecord& record) {
    json.Key("points");
    json.BeginArray();
    for (std::int32_t i = 0; i < record.PointCount; ++i) {
        const RecordedPoint& point = record.Points[i];
        json.BeginObject();
        json.Key("buffer");
        if (point.Buffer == nullptr) {
            json.Null();
        } else {
            json.String(point.Buffer);
        }
        json.Key("temperature_c");
        json.Float(point.Temperature);
        json.Key("standard");
        json.Float(point.Standard);
        json.Key("voltage_mv");
        json.Float(point.Voltage);
        json.Key("samples");
        json.Integer(point.Samples);
        json.Key("spread_mv");
        json.Float(point.VoltageSpread);
        // Left out when empty, so that a record without one reads as it always has.
        if (!point.Trace.Empty()) {
            WriteTrace(json, point.Trace);
        }
        json.EndObject();
    }
    json.EndArray();
}

void WriteJudgement(JsonWriter& json, const std::optional<ProbeRating>& judgement) {
    json.Key("judgement");
    if (!judgement || !judgement->Rated) {
        json.Null();
        return;
    }
    json.BeginObject();
    json.Key("slope_percent");
    json.Fixed(judgement->SlopePercent, 1);
    json.Key("slope_rating");
    json.String(RatingLevelName(judgement->SlopeLevel));
    json.Key("zero_point_ph");
    if (judgement->HasZeroPoint) {
        json.Fixed(judgement->ZeroPoint, 2);
    } else {
        json.Null();
    }
    json.Key("zero_point_rating");
    json.String(RatingLevelName(judgement->ZeroPointLevel));
    json.Key("overall");
    json.String(RatingLevelName(judgement->Overall));
    const RatingLimits& limits = judgement->Limits;
    json.Key("limits");
    json.BeginObject();
    const struct {
        const char* Name;
        double Value;
    } rows[] = {
        {"slope_good_min", limits.SlopeGoodMin},   {"slope_good_max", limits.SlopeGoodMax},
        {"slope_check_min", limits.SlopeCheckMin}, {"slope_check_max", limits.SlopeCheckMax},
        {"offset_good", limits.OffsetGood},        {"offset_check", limits.OffsetCheck},
    };
    for (const auto& row : rows) {
        json.Key(row.Name);
        json.Float(static_cast<float>(row.Value));
    }
    json.EndObject();
    json.EndObject();
}

void WriteOutcome(JsonWriter& json, const CalibrationRecord& record) {
    json.Key("outcome");
    json.BeginObject();
    json.Key("result");
    json.String(RecordOutcomeName(record.Outcome));
    json.Key("reason");
    if (record.Reason.Empty()) {
        json.Null();
    } else {
        json.String(record.Reason);
    }
    json.Key("failed_writes");
    json.BeginArray();
    for (std::int32_t i = 0; i < record.FailedWriteCount; ++i) {
        json.String(record.FailedWrites[i]);
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace

Text RecordLine(const CalibrationRecord& record, std::uint64_t sequence, const char* previousHash) {
    JsonWriter json;
    json.BeginObject();
    json.Key("seq");
    json.Integer(static_cast<std::int64_t>(sequence));
    json.Key("prev_sha256");
    json.String(previousHash);
    json.Key("time");
    json.String(record.Time);
    json.Key("tool");
    json.BeginObject();
    json.Key("program");
    json.String(record.Program);
    json.Key("version");
    json.String(record.Version);
    json.EndObject();
    json.Key("operator");
    json.String(record.Operator);
    WriteDevice(json, record.Device);
    json.Key("event");
    json.String(RecordEventName(record.Event));
    WriteValues(json, "as_found", record.AsFound);
    WriteValues(json, "as_left", record.AsLeft);
    WritePoints(json, record);
    WriteJudgement(json, record.Judgement);
    WriteOutcome(json, record);
    json.EndObject();
    return json.Written();
}

bool ReadChainPrefix(const char* line, std::size_t length, std::uint64_t& sequence,
                     char (&previousHash)[HashTextSize]) {
    const auto startsWith = [&](std::size_t at, const char* key, std::size_t keyLength) {
        return at + keyLength <= length && std::memcmp(line + at, key, keyLength) == 0;
    };
    const std::size_t keyLength = sizeof SequenceKey - 1;
    if (!startsWith(0, SequenceKey, keyLength)) {
        return false;
    }
    std::size_t at = keyLength;
    std::uint64_t number = 0;
    const std::size_t digitsStart = at;
    while (at < length && line[at] >= '0' && line[at] <= '9' && at - digitsStart < 18) {
        number = number * 10 + static_cast<std::uint64_t>(line[at] - '0');
        ++at;
    }
    const std::size_t previousLength = sizeof PreviousKey - 1;
    if (at == digitsStart || !startsWith(at, PreviousKey, previousLength)) {
        return false;
    }
    at += previousLength;
    if (length < at + HashLength + 1 || line[at + HashLength] != '"') {
        return false;
    }
    for (std::size_t k = 0; k < HashLength; ++k) {
        const char c = line[at + k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    sequence = number;
    std::memcpy(previousHash, line + at, HashLength);
    previousHash[HashLength] = '\0';
    return true;
}
