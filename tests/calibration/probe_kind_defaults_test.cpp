#include "calibration/probe_kind_defaults.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calibration/probe_kind.h"
#include "tests/support/memory_transmitter.h"

namespace {

class RecordingDefaultsView : public ProbeDefaultsView {
  public:
    void ShowProbeKind(std::uint8_t kind) override {
        Shown.push_back("kind " + std::to_string(kind));
    }
    void ShowCalibrationDate(std::uint32_t date) override {
        Shown.push_back("date " + std::to_string(date));
    }
    void ShowOffset(float value) override { Shown.push_back("offset " + Text(value)); }
    void ShowSensitivity(float value) override { Shown.push_back("sensitivity " + Text(value)); }
    void ShowRangeMin(float value) override { Shown.push_back("min " + Text(value)); }
    void ShowRangeMax(float value) override { Shown.push_back("max " + Text(value)); }

    static std::string Text(float value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", value);
        return text;
    }

    std::vector<std::string> Shown;
};

const std::vector<std::uint8_t> DefaultsOrder = {51, 60, 58, 59, 56, 57};

TEST(ApplyProbeKindDefaults, PhResetsCalibrationAndRangeZeroToFourteen) {
    MemoryTransmitter device;
    device.ProbeKind = 1;
    device.CalibrationDate = 0x20240315;
    device.Offset = 12.0f;
    RecordingDefaultsView view;
    ApplyProbeKindDefaults(device, ProbeKindPh, view);
    EXPECT_EQ(device.Log, DefaultsOrder);
    EXPECT_EQ(view.Shown,
              (std::vector<std::string>{"kind 0", "date 0", "offset 0.00", "sensitivity -59.16",
                                        "min 0.00", "max 14.00"}));
    EXPECT_EQ(device.ProbeKind, 0);
    EXPECT_EQ(device.CalibrationDate, 0u);
    EXPECT_EQ(device.Sensitivity, -59.16f);
}

TEST(ApplyProbeKindDefaults, IseAndAnyOtherKindGetTheWideRange) {
    for (std::uint8_t kind : {ProbeKindIse, std::uint8_t{2}}) {
        MemoryTransmitter device;
        RecordingDefaultsView view;
        ApplyProbeKindDefaults(device, kind, view);
        EXPECT_EQ(device.Log, DefaultsOrder);
        EXPECT_EQ(device.ProbeKind, kind);
        EXPECT_EQ(view.Shown.back(), "max 10000.00");
        EXPECT_EQ(device.RangeMax, 10000.0f);
    }
}

TEST(ApplyProbeKindDefaults, EveryWriteIsAttemptedAndOnlySuccessesAreShown) {
    MemoryTransmitter device;
    device.FailingCommands = {Command::ProbeKind, Command::Offset, Command::RangeMax};
    RecordingDefaultsView view;
    ApplyProbeKindDefaults(device, ProbeKindIse, view);
    EXPECT_EQ(device.Log, DefaultsOrder);
    EXPECT_EQ(view.Shown, (std::vector<std::string>{"date 0", "sensitivity -59.16", "min 0.00"}));
}

TEST(ApplyProbeKindDefaults, ShowsWhatTheTransmitterStoredNotWhatWasSent) {
    MemoryTransmitter device;
    device.StoreFloat = [](std::uint8_t command, float sent) {
        return command == Command::RangeMax ? 9999.0f : sent;
    };
    RecordingDefaultsView view;
    ApplyProbeKindDefaults(device, ProbeKindIse, view);
    EXPECT_EQ(view.Shown.back(), "max 9999.00");
}

TEST(ApplyProbeKindDefaults, WithNoTransmitterEveryWriteFailsSilently) {
    MemoryTransmitter device;
    device.FailingCommands = {51, 56, 57, 58, 59, 60};
    RecordingDefaultsView view;
    ApplyProbeKindDefaults(device, ProbeKindPh, view);
    EXPECT_EQ(device.Log, DefaultsOrder);
    EXPECT_TRUE(view.Shown.empty());
}

}  // namespace
