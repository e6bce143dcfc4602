// A measured calibration point as its record keeps it.
#pragma once

#include "calibration/buffer_list.h"
#include "calibration/calibration_point.h"
#include "records/calibration_record.h"

// The buffer is named only for a point measured with a preset buffer of the list.
RecordedPoint RecordedPointOf(const CalibrationPoint& point, const BufferList& buffers);
