// What the tool knows of the connected transmitter, as last read or written: the device part
// and the as-found values of the next record.
#pragma once

#include "records/calibration_record.h"

struct TransmitterFacts {
    RecordedDevice Device;
    CalibrationValues Calibration;
};
