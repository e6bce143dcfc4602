#include "records/calibration_record.h"

const char* RecordEventName(RecordEvent event) {
    switch (event) {
        case RecordEvent::Calibration:
            return "calibration";
        case RecordEvent::ProbeKindReset:
            return "probe-kind-reset";
        case RecordEvent::Restore:
            return "restore";
        case RecordEvent::Set:
            return "set";
        case RecordEvent::Undo:
            return "undo";
    }
    return "calibration";
}

void CalibrationRecord::AddPoint(const RecordedPoint& point) {
    if (PointCount < static_cast<std::int32_t>(sizeof Points / sizeof Points[0])) {
        Points[PointCount++] = point;
    }
}

void CalibrationRecord::AddFailedWrite(const char* name) {
    if (FailedWriteCount <
        static_cast<std::int32_t>(sizeof FailedWrites / sizeof FailedWrites[0])) {
        FailedWrites[FailedWriteCount++] = name;
    }
}

const char* RecordOutcomeName(RecordOutcome outcome) {
    switch (outcome) {
        case RecordOutcome::Written:
            return "written";
        case RecordOutcome::Refused:
            return "refused";
        case RecordOutcome::WriteFailed:
            return "write-failed";
    }
    return "write-failed";
}
