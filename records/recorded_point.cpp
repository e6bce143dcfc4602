#include "records/recorded_point.h"

RecordedPoint RecordedPointOf(const CalibrationPoint& point, const BufferList& buffers) {
    RecordedPoint recorded;
    const PhBuffer* buffer = point.UsePreset ? buffers.ItemAt(point.PresetIndex) : nullptr;
    if (buffer != nullptr) {
        recorded.Buffer = buffer->Name;
    }
    recorded.Temperature = point.Temperature;
    recorded.Standard = point.Standard;
    recorded.Voltage = point.Voltage;
    recorded.Samples = point.Samples;
    recorded.VoltageSpread = point.VoltageSpread;
    return recorded;
}
