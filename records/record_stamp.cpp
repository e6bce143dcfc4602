#include "records/record_stamp.h"

#include "objects/build_version.h"
#include "records/system_user.h"

void StampRecord(CalibrationRecord& record, const char* program, const UtcClock& clock) {
    record.Time = clock.Now();
    record.Program = program;
    record.Version = BuildVersion();
    if (record.Operator.Empty()) {
        record.Operator = SystemUserName();
    }
}
