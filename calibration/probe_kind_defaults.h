// Resetting calibration and range when the probe kind is set: the old calibration no longer fits.
#pragma once

#include <cstdint>

#include "calibration/probe_defaults_view.h"
#include "link/transmitter.h"

constexpr float DefaultSensitivity = -59.16f;
constexpr float DefaultRangeMaxPh = 14.0f;
constexpr float DefaultRangeMaxOther = 10000.0f;

// Writes 51 (the kind), 60 (no date), 58 (offset 0), 59 (-59.16), 56 (0) and 57 (14 for pH,
// 10000 for any other kind) in this order. Every write is attempted whatever the previous
// one gave; each success is shown with the returned value.
void ApplyProbeKindDefaults(Transmitter& link, std::uint8_t kind, ProbeDefaultsView& view);
