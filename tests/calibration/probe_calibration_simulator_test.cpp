// The calibration through the real link, over a pseudo-terminal, against the simulated
// transmitter.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "calibration/buffer_list.h"
#include "calibration/probe_calibration.h"
#include "link/transmitter_link.h"
#include "tests/support/simulator_process.h"

namespace {

class QuietView : public CalibrationView {
  public:
    void StepProgress() override { ++Steps; }
    void ResetProgress() override { ++Resets; }
    void GetPreset(std::int32_t, bool& usePreset, std::int32_t& presetIndex) override {
        usePreset = false;
        presetIndex = -1;
    }
    void ShowPoint(std::int32_t, const CalibrationPoint&) override {}
    void ShowOffset(float millivolt) override { Offset = millivolt; }
    void ShowSensitivity(float slope) override { Sensitivity = slope; }
    void ShowCalibrationDate(std::uint32_t date) override { Date = date; }

    int Steps = 0;
    int Resets = 0;
    float Offset = 1.0e9f;
    float Sensitivity = 1.0e9f;
    std::uint32_t Date = 0;
};

class FixedDate : public LocalDate {
  public:
    CalendarDay Today() const override { return CalendarDay{2026, 12, 8}; }
};

struct ListDeleter {
    void operator()(BufferList* list) const { list->Free(); }
};

class ProbeCalibrationSimulatorTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Simulator.IsRunning());
        ASSERT_TRUE(Link.Open(Simulator.DevicePath().c_str()));
        // 25 degrees on the Pt100 polynomial the simulator starts with.
        Control("set resistance 109.734657");
    }

    void Control(const std::string& line) { ASSERT_TRUE(Simulator.Control(line)); }

    int Ticks(int limit = 200) {
        int ticks = 0;
        while (Calibration.IsSampling() && ticks < limit) {
            Calibration.TakeSample();
            ++ticks;
        }
        return ticks;
    }

    int RequestsFor(std::uint8_t command) const {
        int count = 0;
        for (const auto& frame : Simulator.Frames()) {
            count += frame.size() > 1 && frame[1] == command ? 1 : 0;
        }
        return count;
    }

    SimulatorProcess Simulator;
    TransmitterLink Link;
    QuietView View;
    std::unique_ptr<BufferList, ListDeleter> Buffers{CreateBufferList()};
    FixedDate Clock;
    ProbeCalibration Calibration{Link, View, *Buffers, Clock};
};

TEST_F(ProbeCalibrationSimulatorTest, OnePointIsSampledThroughTheLinkSkippingBadTicks) {
    ASSERT_TRUE(Calibration.Setup());
    EXPECT_EQ(Calibration.GetKind(), 0);
    EXPECT_EQ(Calibration.GetPolynomial().Degree, 2);

    Control("set ph 4");
    // The fault pattern for a resistance, then a silent resistance read, then a voltage read
    // that goes unanswered after a good resistance: three ticks that count for nothing.
    Control("fault pattern on 36 times 1");
    Control("fault silent on 36 times 1");
    Control("fault silent on 37 times 1");
    ASSERT_TRUE(Calibration.StartPoint(1, 4.0f));
    EXPECT_EQ(Ticks(), 39);
    EXPECT_EQ(View.Steps, 36);
    EXPECT_EQ(View.Resets, 1);
    EXPECT_EQ(RequestsFor(36), 39);
    EXPECT_EQ(RequestsFor(37), 37);

    const CalibrationPoint& point = Calibration.GetPoint(1);
    EXPECT_TRUE(point.Valid);
    EXPECT_NEAR(point.Temperature, 24.9986, 0.5e-4);
    // The simulated probe: -59.16 mV per pH at 25 degrees, scaled to the temperature.
    const double expected = -59.16 * (point.Temperature + 273.15) / 298.15 * (4.0 - 7.0);
    EXPECT_NEAR(point.Voltage, expected, 1e-3);
}

TEST_F(ProbeCalibrationSimulatorTest, CalibratingAProbeThatFollowsTheStoredSlopeGivesItBack) {
    ASSERT_TRUE(Calibration.Setup());
    Control("set ph 4");
    ASSERT_TRUE(Calibration.StartPoint(1, 4.0f));
    Ticks();
    Control("set ph 9");
    ASSERT_TRUE(Calibration.StartPoint(2, 9.0f));
    Ticks();

    ASSERT_TRUE(Calibration.AcceptPoints());
    Calibration.WriteCalibration(Calibration.ComputeCalibration());
    EXPECT_NEAR(View.Offset, 0.0, 1e-3);
    EXPECT_NEAR(View.Sensitivity, -59.16, 1e-3);
    EXPECT_EQ(View.Date, 0x20261208u);

    float sensitivity = 0.0f;
    std::uint32_t date = 0;
    ASSERT_TRUE(Link.ReadSensitivity(sensitivity));
    ASSERT_TRUE(Link.ReadCalibrationDate(date));
    EXPECT_EQ(sensitivity, View.Sensitivity);
    EXPECT_EQ(date, 0x20261208u);
}

TEST_F(ProbeCalibrationSimulatorTest, SetupFailsWhenTheTransmitterReportsAnUnusableDegree) {
    Control("set sensor_degree 7");
    EXPECT_FALSE(Calibration.Setup());
    EXPECT_FALSE(Calibration.StartPoint(1));
}

}  // namespace
