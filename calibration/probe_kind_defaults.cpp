#include "calibration/probe_kind_defaults.h"

#include "calibration/probe_kind.h"

void ApplyProbeKindDefaults(Transmitter& link, std::uint8_t kind, ProbeDefaultsView& view) {
    std::uint8_t writtenKind = kind;
    if (link.WriteProbeKind(writtenKind)) {
        view.ShowProbeKind(writtenKind);
    }
    std::uint32_t date = 0;
    if (link.WriteCalibrationDate(date)) {
        view.ShowCalibrationDate(date);
    }
    float offset = 0.0f;
    if (link.WriteOffset(offset)) {
        view.ShowOffset(offset);
    }
    float sensitivity = DefaultSensitivity;
    if (link.WriteSensitivity(sensitivity)) {
        view.ShowSensitivity(sensitivity);
    }
    float rangeMin = 0.0f;
    if (link.WriteRangeMin(rangeMin)) {
        view.ShowRangeMin(rangeMin);
    }
    float rangeMax = kind == ProbeKindPh ? DefaultRangeMaxPh : DefaultRangeMaxOther;
    if (link.WriteRangeMax(rangeMax)) {
        view.ShowRangeMax(rangeMax);
    }
}
