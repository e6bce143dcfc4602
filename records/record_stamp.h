// Puts the time, the tool and the operator on a record, as the record is kept.
#pragma once

#include "records/calibration_record.h"
#include "records/utc_clock.h"

// The operator is the system's user name unless the record already names one.
void StampRecord(CalibrationRecord& record, const char* program, const UtcClock& clock);
