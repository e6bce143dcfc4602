#include "records/record_stamp.h"

#include "records/system_user.h"

void StampRecord(CalibrationRecord& record, const char* program, const UtcClock& clock) {
    record.Time = clock.Now();
    record.Program = program;
    record.Version = QX7_VERSION;
    if (record.Operator.Empty()) {
        record.Operator = SystemUserName();
    }
}
