// Settings changed straight from the main window: each choice, and each "Zápis" of a number, is
// one write to the transmitter, and a range field then shows what the transmitter stored.
#include <windows.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/app/driver/simulator_control.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/config_program.h"
#include "tests/app/e2e/line_watch.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e/serial_port_map.h"

namespace {

constexpr int kRangeMinButton = 108;
constexpr int kRangeMaxButton = 109;

// The float in a write request's four data bytes.
float FloatOf(const LoggedFrame& frame) {
    float value = 0.0f;
    if (frame.Bytes.size() >= 7) {
        std::memcpy(&value, &frame.Bytes[3], sizeof value);
    }
    return value;
}

class ParameterWrite : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Transmitter.Send("reset"));
        ASSERT_TRUE(SerialPortMap::Replace({"COM7"}));
        ASSERT_TRUE(Program.Start());
    }

    void Connect() {
        LineWatch line;
        line.Mark();
        ASSERT_EQ(driver::ChooseComboText(Program.Control(place::PortBox), "COM7", 15000),
                  Delivery::Handled);
        ASSERT_TRUE(line.WaitForCount(19, 20000)) << line.Summary();
        Line.Mark();
    }

    // Replaces the text of a range field and presses its "Zápis".
    void WriteRange(size_t field, int button, const std::string& text) {
        ASSERT_EQ(driver::ReplaceText(Program.ChildAt(field), text), Delivery::Handled);
        ASSERT_EQ(driver::Click(Program.Control(button)), Delivery::Handled);
    }

    // What a control's notification other than a selection change would do.
    Delivery Notify(int id, WORD code) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(Program.Window(), WM_COMMAND, MAKEWPARAM(id, code),
                                   reinterpret_cast<LPARAM>(Program.Control(id)), SMTO_NORMAL,
                                   driver::kHandlerWait, &result) != 0
                   ? Delivery::Handled
                   : Delivery::Failed;
    }

    ConfigProgram Program;
    SimulatorControl Transmitter;
    LineWatch Line;
};

TEST_F(ParameterWrite, ADampingChoiceIsWrittenAsItsListIndex) {
    Connect();
    ASSERT_EQ(driver::ChooseComboItem(Program.Control(place::InputDampingBox), 12),
              Delivery::Handled);
    ASSERT_EQ(driver::ChooseComboItem(Program.Control(place::TempDampingBox), 30),
              Delivery::Handled);

    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].Bytes, (std::vector<std::uint8_t>{0x01, 0x3E, 0x01, 0x0C, 0xB4}));
    EXPECT_EQ(frames[1].Code(), 61);
    EXPECT_EQ(frames[1].Bytes[3], 30);
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::InputDampingBox)), 12);
}

TEST_F(ParameterWrite, OpeningOrLeavingAListWritesNothing) {
    Connect();
    for (int id : {place::InputDampingBox, place::SensorBox, place::TempDampingBox}) {
        for (WORD code : {CBN_DROPDOWN, CBN_SETFOCUS, CBN_CLOSEUP, CBN_KILLFOCUS}) {
            EXPECT_EQ(Notify(id, code), Delivery::Handled);
        }
    }
    EXPECT_TRUE(Line.Codes().empty());
}

TEST_F(ParameterWrite, ASensorChoiceWritesAllFourValuesEvenAfterAFailure) {
    Connect();
    ASSERT_TRUE(Transmitter.Send("fault silent on 54 times 1"));
    ASSERT_EQ(driver::ChooseComboText(Program.Control(place::SensorBox), "Pt1000 (3850)"),
              Delivery::Handled);

    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(Line.Codes(), (std::vector<int>{54, 55, 53, 52}));
    EXPECT_NEAR(FloatOf(frames[0]), 921.599f, 0.001f) << "Pt1000 at -20 degrees Celsius";
    EXPECT_NEAR(FloatOf(frames[1]), 1385.055f, 0.001f) << "Pt1000 at 100 degrees Celsius";
    EXPECT_EQ(frames[2].Bytes.size(), 24u) << "five coefficients";
    EXPECT_EQ(frames[3].Bytes[3], 2) << "the polynomial's degree";
}

TEST_F(ParameterWrite, ARangeFieldShowsWhatTheTransmitterStored) {
    Connect();
    ASSERT_TRUE(Transmitter.Send("echo range_min 3.25"));
    WriteRange(place::RangeMin, kRangeMinButton, "2,5");
    WriteRange(place::RangeMax, kRangeMaxButton, "-inf");
    WriteRange(place::RangeMax, kRangeMaxButton, "nan");

    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(Line.Codes(), (std::vector<int>{56, 57, 57}));
    EXPECT_EQ(FloatOf(frames[0]), 2.5f) << "a comma is the decimal point";
    EXPECT_EQ(FloatOf(frames[1]), -INFINITY) << "infinity is a number";
    EXPECT_TRUE(std::isnan(FloatOf(frames[2]))) << "so is nan";
    EXPECT_EQ(Program.TextAt(place::RangeMin), "3.25");
    EXPECT_EQ(Program.TextAt(place::RangeMax), "Nan");
}

TEST_F(ParameterWrite, ATypoInARangeFieldWritesNothingAndStaysAsTyped) {
    Connect();
    // "3,7562.50" is what clicking into "3,75" and typing "62.50" leaves.
    for (const char* text : {"", "abc", "3,7562.50", "1.234,5", "12 5"}) {
        WriteRange(place::RangeMin, kRangeMinButton, text);
        WriteRange(place::RangeMax, kRangeMaxButton, text);
        EXPECT_EQ(Program.TextAt(place::RangeMin), text);
        EXPECT_EQ(Program.TextAt(place::RangeMax), text);
    }
    // A number in the same fields is still written. Its two frames, and nothing before them,
    // also show that the log was read after every press had been handled.
    WriteRange(place::RangeMin, kRangeMinButton, "2,5");
    WriteRange(place::RangeMax, kRangeMaxButton, "2,5");
    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(Line.Codes(), (std::vector<int>{56, 57}));
    EXPECT_EQ(FloatOf(frames[0]), 2.5f);
    EXPECT_EQ(FloatOf(frames[1]), 2.5f);
    EXPECT_EQ(Program.TextAt(place::RangeMax), "2.50");
}

TEST_F(ParameterWrite, ARangeFieldWritesBackExactlyTheValueItShows) {
    ASSERT_TRUE(Transmitter.Send("set range_min -3.4028234663852886e38"));
    ASSERT_TRUE(Transmitter.Send("set range_max 3.4028234663852886e38"));
    Connect();
    ASSERT_EQ(Program.TextAt(place::RangeMax), "340282346638528859811704183484516925440.00");
    ASSERT_EQ(driver::Click(Program.Control(kRangeMinButton)), Delivery::Handled);
    ASSERT_EQ(driver::Click(Program.Control(kRangeMaxButton)), Delivery::Handled);
    // 10^31 shown as it came back, then written again as shown.
    ASSERT_TRUE(Transmitter.Send("echo range_max 1e31"));
    WriteRange(place::RangeMax, kRangeMaxButton, "1");
    ASSERT_EQ(driver::Click(Program.Control(kRangeMaxButton)), Delivery::Handled);

    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(Line.Codes(), (std::vector<int>{56, 57, 57, 57}));
    EXPECT_EQ(FloatOf(frames[0]), -FLT_MAX);
    EXPECT_EQ(FloatOf(frames[1]), FLT_MAX);
    EXPECT_EQ(FloatOf(frames[3]), 1e31f);
    EXPECT_EQ(Program.TextAt(place::RangeMax), "9999999848243207295109594873856.00");
}

TEST_F(ParameterWrite, WithoutAPortEveryWriteFailsQuietly) {
    Line.Mark();
    WriteRange(place::RangeMin, kRangeMinButton, "7");
    ASSERT_EQ(driver::ChooseComboItem(Program.Control(place::InputDampingBox), 4),
              Delivery::Handled);
    ASSERT_EQ(driver::ChooseComboItem(Program.Control(place::SensorBox), 1), Delivery::Handled);

    MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(Program.ProcessId(), 500, box));
    EXPECT_EQ(Program.TextAt(place::RangeMin), "7");
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::InputDampingBox)), 4);
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::SensorBox)), 1);
    EXPECT_TRUE(Line.Codes().empty());
}

}  // namespace
