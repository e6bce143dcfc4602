#include "calibration/probe_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "calibration/pt100_sensor.h"
#include "calibration/sensor_settings.h"
#include "tests/support/memory_transmitter.h"

namespace {

// Records what the dialog would show, and answers the preset question as its controls would.
class RecordingView : public CalibrationView {
  public:
    void StepProgress() override { ++Progress; }
    void ResetProgress() override {
        Progress = 0;
        Events.push_back("reset");
    }
    void GetPreset(std::int32_t point, bool& usePreset, std::int32_t& presetIndex) override {
        usePreset = UsePreset[point - 1];
        presetIndex = PresetIndex[point - 1];
    }
    void ShowPoint(std::int32_t point, const CalibrationPoint& values) override {
        Events.push_back("point " + std::to_string(point));
        Shown = values;
    }
    void ShowOffset(float millivolt) override {
        Events.push_back("offset");
        Offset = millivolt;
    }
    void ShowSensitivity(float slope) override {
        Events.push_back("sensitivity");
        Sensitivity = slope;
    }
    void ShowCalibrationDate(std::uint32_t date) override {
        Events.push_back("date");
        Date = date;
    }

    int Progress = 0;
    bool UsePreset[2] = {false, false};
    std::int32_t PresetIndex[2] = {-1, -1};
    std::vector<std::string> Events;
    CalibrationPoint Shown;
    float Offset = 0.0f;
    float Sensitivity = 0.0f;
    std::uint32_t Date = 0;
};

class FixedDate : public LocalDate {
  public:
    explicit FixedDate(CalendarDay day) : Day(day) {}
    CalendarDay Today() const override { return Day; }

    CalendarDay Day;
};

struct ListDeleter {
    void operator()(BufferList* list) const { list->Free(); }
};

// A pH transmitter set for a Pt100, with the calibration set up against it.
class ProbeCalibrationTest : public testing::Test {
  protected:
    ProbeCalibrationTest() {
        SensorSettings pt100 = SensorSettingsOf(Pt100Sensor());
        Device.SensorDegree = pt100.Degree;
        Device.SensorCoefficients = pt100.Coefficients;
        Device.SteadyResistance = 109.734657f;  // 25 degrees on the transmitter's polynomial
        Device.SteadyVoltage = 3.2f;
    }

    void SetUpCalibration() {
        ASSERT_TRUE(Calibration.Setup());
        Device.Log.clear();
    }

    // Ticks until the running point is back to idle, at most limit ticks.
    int TicksToFinish(int limit = 1000) {
        int ticks = 0;
        while (Calibration.IsSampling() && ticks < limit) {
            Calibration.TakeSample();
            ++ticks;
        }
        return ticks;
    }

    static float FaultPattern() {
        const std::uint32_t bits = 0xFFFFFFFFu;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    MemoryTransmitter Device;
    RecordingView View;
    std::unique_ptr<BufferList, ListDeleter> Buffers{CreateBufferList()};
    FixedDate Clock{CalendarDay{2026, 12, 8}};
    ProbeCalibration Calibration{Device, View, *Buffers, Clock};
};

TEST_F(ProbeCalibrationTest, SetupReadsKindDegreeAndCoefficients) {
    Device.ProbeKind = 1;
    EXPECT_TRUE(Calibration.Setup());
    EXPECT_EQ(Device.Log, (std::vector<std::uint8_t>{51, 52, 53}));
    EXPECT_EQ(Calibration.GetKind(), 1);
    EXPECT_EQ(Calibration.GetPolynomial().Degree, 2);
    EXPECT_EQ(Calibration.GetPolynomial().Coefficients[1], 2.3577354f);
}

TEST_F(ProbeCalibrationTest, FirstFailedSetupReadStopsTheSequenceAndNothingCanStart) {
    for (std::uint8_t failing : {51, 52, 53}) {
        MemoryTransmitter device;
        device.FailingCommands = {failing};
        ProbeCalibration calibration(device, View, *Buffers, Clock);
        EXPECT_FALSE(calibration.Setup());
        EXPECT_EQ(device.Log.back(), failing);
        EXPECT_EQ(device.Log.size(), static_cast<std::size_t>(failing - 50));
        EXPECT_FALSE(calibration.StartPoint(1));
        EXPECT_FALSE(calibration.IsSampling());
    }
}

TEST_F(ProbeCalibrationTest, DegreeAboveFourIsUnusableAndRefusesToStart) {
    Device.SensorDegree = 5;
    EXPECT_FALSE(Calibration.Setup());
    EXPECT_FALSE(Calibration.StartPoint(1));
    Calibration.TakeSample();
    EXPECT_EQ(Device.CountOf(Command::ResistanceSample), 0);

    Device.SensorDegree = 4;
    EXPECT_TRUE(Calibration.Setup());
    EXPECT_TRUE(Calibration.StartPoint(1));
}

TEST_F(ProbeCalibrationTest, ThirtySixCountedSamplesFinishAPoint) {
    SetUpCalibration();
    ASSERT_TRUE(Calibration.StartPoint(1, 6.86f));
    for (int i = 0; i < 35; ++i) {
        Calibration.TakeSample();
    }
    EXPECT_TRUE(Calibration.IsSampling());
    EXPECT_EQ(View.Progress, 35);
    EXPECT_FALSE(Calibration.GetPoint(1).Valid);

    Calibration.TakeSample();
    EXPECT_FALSE(Calibration.IsSampling());
    EXPECT_EQ(View.Progress, 0);
    EXPECT_EQ(View.Events, (std::vector<std::string>{"point 1", "reset"}));
    const CalibrationPoint& point = Calibration.GetPoint(1);
    EXPECT_TRUE(point.Valid);
    EXPECT_NEAR(point.Temperature, 24.9986, 0.5e-4);
    EXPECT_EQ(point.Voltage, 3.2f);
    EXPECT_EQ(point.Standard, 6.86f);
    EXPECT_EQ(View.Shown.Temperature, point.Temperature);
    EXPECT_EQ(Device.CountOf(Command::ResistanceSample), 36);
    EXPECT_EQ(Device.CountOf(Command::VoltageSample), 36);
}

TEST_F(ProbeCalibrationTest, PointIsTheMeanOfItsSamplesThroughTheTransmittersPolynomial) {
    SetUpCalibration();
    for (int i = 0; i < 18; ++i) {
        Device.ResistanceScript.push_back(100.0f);
        Device.ResistanceScript.push_back(138.505493f);
        Device.VoltageScript.push_back(-10.0f);
        Device.VoltageScript.push_back(30.5f);
    }
    ASSERT_TRUE(Calibration.StartPoint(2, 4.0f));
    EXPECT_EQ(TicksToFinish(), 36);
    const CalibrationPoint& point = Calibration.GetPoint(2);
    EXPECT_EQ(point.Temperature, Calibration.GetPolynomial().TemperatureAt(static_cast<float>(
                                     (100.0 + static_cast<double>(138.505493f)) / 2)));
    EXPECT_EQ(point.Voltage, 10.25f);
    EXPECT_FALSE(Calibration.GetPoint(1).Valid);
}

TEST_F(ProbeCalibrationTest, FailedOrMarkedTicksAreNotCounted) {
    SetUpCalibration();
    Device.ResistanceScript = {std::nullopt, FaultPattern(), 200.0f};
    Device.VoltageScript = {std::nullopt};
    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    // A failed resistance read, the fault pattern, and a failed voltage read that drops
    // the good resistance of 200 ohm with it: three ticks that count for nothing.
    EXPECT_EQ(TicksToFinish(), 39);
    EXPECT_EQ(Device.CountOf(Command::VoltageSample), 37);
    EXPECT_NEAR(Calibration.GetPoint(1).Temperature, 24.9986, 0.5e-4);
}

TEST_F(ProbeCalibrationTest, OnlyTheAllOnesPatternMarksAMissingValue) {
    SetUpCalibration();
    // Another NaN is a value to the transmitter's protocol; it spoils the mean, and the
    // spoiled point then fails the acceptance check.
    Device.ResistanceScript = {std::nanf("")};
    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    EXPECT_EQ(TicksToFinish(), 36);
    EXPECT_TRUE(std::isnan(Calibration.GetPoint(1).Temperature));
}

TEST_F(ProbeCalibrationTest, AnUnansweringTransmitterKeepsThePointSampling) {
    SetUpCalibration();
    ASSERT_TRUE(Calibration.StartPoint(1));
    Device.FailingCommands = {Command::ResistanceSample};
    EXPECT_EQ(TicksToFinish(200), 200);
    EXPECT_TRUE(Calibration.IsSampling());
    EXPECT_EQ(View.Progress, 0);
}

TEST_F(ProbeCalibrationTest, StartIsRefusedWhileAPointIsBeingSampled) {
    SetUpCalibration();
    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    for (int i = 0; i < 10; ++i) {
        Calibration.TakeSample();
    }
    EXPECT_FALSE(Calibration.StartPoint(2));
    EXPECT_FALSE(Calibration.StartPoint(1));
    EXPECT_EQ(Calibration.GetState().Phase, CalibrationState::SamplingPoint1);
    EXPECT_EQ(Calibration.GetState().SampleCount, 10);
    EXPECT_EQ(TicksToFinish(), 26);
    EXPECT_TRUE(Calibration.GetPoint(1).Valid);
    EXPECT_FALSE(Calibration.GetPoint(2).Valid);
}

TEST_F(ProbeCalibrationTest, AFinishedPointKeepsItsSampleCountAndVoltageSpread) {
    SetUpCalibration();
    // Alternating 10 and 12 mV.
    for (int i = 0; i < 36; ++i) {
        Device.VoltageScript.push_back(i % 2 == 0 ? 10.0f : 12.0f);
    }
    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    TicksToFinish();
    const CalibrationPoint& point = Calibration.GetPoint(1);
    EXPECT_EQ(point.Samples, 36);
    EXPECT_FLOAT_EQ(point.Voltage, 11.0f);
    // The sample standard deviation of 18 tens and 18 twelves: sqrt(36 / 35).
    EXPECT_NEAR(point.VoltageSpread, std::sqrt(36.0 / 35.0), 1e-5);

    ASSERT_TRUE(Calibration.StartPoint(2, 4.0f));
    TicksToFinish();
    EXPECT_EQ(Calibration.GetPoint(2).VoltageSpread, 0.0f) << "a steady voltage";
}

TEST_F(ProbeCalibrationTest, IdleTicksReadNothing) {
    SetUpCalibration();
    Calibration.TakeSample();
    EXPECT_TRUE(Device.Log.empty());
}

TEST_F(ProbeCalibrationTest, ClearingDuringSamplingLastsOnlyUntilThePointFinishes) {
    SetUpCalibration();
    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    TicksToFinish();
    ASSERT_TRUE(Calibration.GetPoint(1).Valid);

    ASSERT_TRUE(Calibration.StartPoint(1, 7.0f));
    Calibration.TakeSample();
    Calibration.ClearPoint(1);
    EXPECT_FALSE(Calibration.GetPoint(1).Valid);
    EXPECT_TRUE(Calibration.IsSampling());
    TicksToFinish();
    EXPECT_TRUE(Calibration.GetPoint(1).Valid);
}

TEST_F(ProbeCalibrationTest, RemeasuringKeepsTheOldValidValuesUntilTheNewOnesAreIn) {
    SetUpCalibration();
    ASSERT_TRUE(Calibration.StartPoint(2, 4.0f));
    TicksToFinish();
    const float oldVoltage = Calibration.GetPoint(2).Voltage;

    Device.SteadyVoltage = 171.5f;
    ASSERT_TRUE(Calibration.StartPoint(2, 4.0f));
    for (int i = 0; i < 35; ++i) {
        Calibration.TakeSample();
    }
    EXPECT_TRUE(Calibration.GetPoint(2).Valid);
    EXPECT_EQ(Calibration.GetPoint(2).Voltage, oldVoltage);
    Calibration.TakeSample();
    EXPECT_EQ(Calibration.GetPoint(2).Voltage, 171.5f);
}

TEST_F(ProbeCalibrationTest, PresetBufferGivesTheStandardAtTheMeasuredTemperature) {
    SetUpCalibration();
    View.UsePreset[1] = true;
    View.PresetIndex[1] = 2;
    // A preset checked at the finish wins over a typed standard.
    ASSERT_TRUE(Calibration.StartPoint(2, 99.0f));
    TicksToFinish();
    const CalibrationPoint& point = Calibration.GetPoint(2);
    EXPECT_TRUE(point.UsePreset);
    EXPECT_EQ(point.PresetIndex, 2);
    EXPECT_EQ(point.Standard, Buffers->ItemAt(2)->PhAt(point.Temperature));
    EXPECT_NEAR(point.Standard, 7.0107, 0.5e-3);
    EXPECT_EQ(View.Shown.Standard, point.Standard);
}

TEST_F(ProbeCalibrationTest, PresetWithoutABufferSelectedLeavesNoUsableStandard) {
    SetUpCalibration();
    View.UsePreset[0] = true;
    View.PresetIndex[0] = -1;
    ASSERT_TRUE(Calibration.StartPoint(1, 4.0f));
    TicksToFinish();
    EXPECT_TRUE(std::isnan(Calibration.GetPoint(1).Standard));
}

TEST_F(ProbeCalibrationTest, APresetUncheckedDuringSamplingLeavesThePointWithoutAStandard) {
    SetUpCalibration();
    Device.SteadyVoltage = 0.0f;
    ASSERT_TRUE(Calibration.StartPoint(2, 7.0f));
    TicksToFinish();

    // Point 1 is started on its preset 4.01, whose box is unchecked before the finish.
    Device.SteadyVoltage = 177.5f;
    View.UsePreset[0] = true;
    View.PresetIndex[0] = 0;
    ASSERT_TRUE(Calibration.StartPoint(1));
    Calibration.TakeSample();
    Calibration.ClearPoint(1);
    View.UsePreset[0] = false;
    View.PresetIndex[0] = -1;
    TicksToFinish();

    EXPECT_FALSE(Calibration.GetPoint(1).Valid) << "no standard, neither typed nor a buffer";
    EXPECT_FALSE(View.Shown.Valid);
    EXPECT_EQ(View.Events, (std::vector<std::string>{"point 2", "reset", "point 1", "reset"}));
    EXPECT_FALSE(Calibration.AcceptPoints());

    // A standard typed for an earlier run of the same point is not carried over either.
    ASSERT_TRUE(Calibration.StartPoint(1, 4.0f));
    TicksToFinish();
    ASSERT_TRUE(Calibration.GetPoint(1).Valid);
    ASSERT_TRUE(Calibration.StartPoint(1));
    TicksToFinish();
    EXPECT_FALSE(Calibration.GetPoint(1).Valid);
}

// Both points of the pH example measured through the transmitter, then OK.
class CompletedCalibrationTest : public ProbeCalibrationTest {
  protected:
    void SetUp() override {
        SetUpCalibration();
        Measure(1, 6.8654f, 3.2f);
        Measure(2, 4.0096f, 171.5f);
        Device.Log.clear();
        View.Events.clear();
    }

    void Measure(std::int32_t point, float standard, float voltage) {
        Device.SteadyVoltage = voltage;
        ASSERT_TRUE(Calibration.StartPoint(point, standard));
        TicksToFinish();
    }
};

TEST_F(CompletedCalibrationTest, ResultIsWrittenOffsetSlopeDateAndShownAsReturned) {
    ASSERT_TRUE(Calibration.AcceptPoints());
    // This transmitter stores values to a hundredth of a unit.
    Device.StoreFloat = [](std::uint8_t, float sent) { return std::round(sent * 100) / 100; };
    Calibration.WriteCalibration(Calibration.ComputeCalibration());
    EXPECT_EQ(Device.Log, (std::vector<std::uint8_t>{58, 59, 60}));
    EXPECT_EQ(View.Events, (std::vector<std::string>{"offset", "sensitivity", "date"}));
    EXPECT_FLOAT_EQ(View.Offset, Device.Offset);
    EXPECT_FLOAT_EQ(View.Sensitivity, Device.Sensitivity);
    // Both points near 25 degrees: the slope is S = -58.9327, stored as -58.93.
    EXPECT_NEAR(View.Sensitivity, -58.93, 1e-5);
    EXPECT_EQ(View.Date, 0x20261208u);
    EXPECT_EQ(Device.CalibrationDate, 0x20261208u);
}

TEST_F(CompletedCalibrationTest, AFailedWriteIsNotShownAndTheNextWritesAreStillMade) {
    Device.FailingCommands = {Command::Offset, Command::CalibrationDate};
    CalibrationWrites writes = Calibration.WriteCalibration(Calibration.ComputeCalibration());
    EXPECT_EQ(Device.Log, (std::vector<std::uint8_t>{58, 59, 60}));
    EXPECT_EQ(View.Events, (std::vector<std::string>{"sensitivity"}));
    EXPECT_FALSE(writes.Offset);
    EXPECT_TRUE(writes.Slope);
    EXPECT_FALSE(writes.Date);

    View.Events.clear();
    Device.FailingCommands = {Command::Sensitivity};
    writes = Calibration.WriteCalibration(Calibration.ComputeCalibration());
    EXPECT_EQ(View.Events, (std::vector<std::string>{"offset", "date"}));
    EXPECT_TRUE(writes.Offset);
    EXPECT_FALSE(writes.Slope);
    EXPECT_TRUE(writes.Date);
}

TEST_F(CompletedCalibrationTest, ClearingAPointAfterItsMeasurementRejectsThePair) {
    Calibration.ClearPoint(1);
    EXPECT_FALSE(Calibration.AcceptPoints());
    Measure(1, 6.8654f, 3.2f);
    EXPECT_TRUE(Calibration.AcceptPoints());
}

TEST_F(CompletedCalibrationTest, KindReadFromTheTransmitterDecidesTheRules) {
    Device.ProbeKind = 7;
    ASSERT_TRUE(Calibration.Setup());
    EXPECT_FALSE(Calibration.AcceptPoints());
}

}  // namespace

TEST_F(ProbeCalibrationTest, AMeasuredPointIsFinishedExactlyAsASampledOneWithTheSameMeans) {
    SetUpCalibration();
    View.UsePreset[0] = true;
    View.PresetIndex[0] = BufferIndexPh401;
    ASSERT_TRUE(Calibration.StartPoint(1));
    TicksToFinish();
    const CalibrationPoint sampled = Calibration.GetPoint(1);

    const MeasuredMean mean{109.734657, 3.2, 20, 0.05};
    ASSERT_TRUE(Calibration.TakeMeasuredPoint(2, mean));
    ASSERT_TRUE(Calibration.TakeMeasuredPoint(1, mean));
    const CalibrationPoint& measured = Calibration.GetPoint(1);
    EXPECT_TRUE(measured.Valid);
    EXPECT_EQ(measured.Temperature, sampled.Temperature);
    EXPECT_EQ(measured.Voltage, sampled.Voltage);
    EXPECT_EQ(measured.Standard, sampled.Standard);
    EXPECT_TRUE(measured.UsePreset);
    // Its own count and spread, not those the sampled point left behind.
    EXPECT_EQ(measured.Samples, 20);
    EXPECT_EQ(measured.VoltageSpread, 0.05f);
    // Point 2 has no preset: without a standard it is not valid; with one it is.
    EXPECT_FALSE(Calibration.GetPoint(2).Valid);
    ASSERT_TRUE(Calibration.TakeMeasuredPoint(2, 7.0f, {109.734657, 173.8, 20, 0.05}));
    EXPECT_TRUE(Calibration.GetPoint(2).Valid);
    EXPECT_EQ(Calibration.GetPoint(2).Standard, 7.0f);
    // Nothing reads the transmitter, and nothing is taken while a point is being sampled.
    Device.Log.clear();
    ASSERT_TRUE(Calibration.StartPoint(1));
    EXPECT_FALSE(Calibration.TakeMeasuredPoint(2, 7.0f, mean));
    EXPECT_TRUE(Device.Log.empty());
}

TEST_F(ProbeCalibrationTest, AMeasuredPointNeedsASuccessfulSetup) {
    EXPECT_FALSE(Calibration.TakeMeasuredPoint(1, 4.0f, {109.734657, 3.2, 20, 0.05}));
    EXPECT_FALSE(Calibration.GetPoint(1).Valid);
}
