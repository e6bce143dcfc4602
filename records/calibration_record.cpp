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
