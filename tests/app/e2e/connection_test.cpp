// Choosing a port: the transmitter is identified, a foreign one refused with a message, and
// every setting of a QX7 read into the window in a fixed order.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/app/driver/simulator_control.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/config_program.h"
#include "tests/app/e2e/line_watch.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e/serial_port_map.h"

namespace {

// A port in the list that no device stands behind.
constexpr char kDeadPort[] = "COM11";
constexpr DWORD kConnectWait = 15000;

const std::vector<int> kConnectRequests = {33, 34, 35, 50, 51, 60, 58, 59, 62, 56,
                                           57, 52, 53, 61, 38, 39, 40, 41, 42};

class Connection : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Transmitter.Send("reset"));
        ASSERT_TRUE(SerialPortMap::Replace({"COM7", kDeadPort}));
        ASSERT_TRUE(Program.Start());
    }

    Delivery Choose(const std::string& port, DWORD waitMs = kConnectWait) {
        return driver::ChooseComboText(Program.Control(place::PortBox), port, waitMs);
    }

    // Connects to the simulator and waits for the whole first read.
    void ConnectToTransmitter() {
        LineWatch line;
        line.Mark();
        ASSERT_EQ(Choose("COM7"), Delivery::Handled);
        ASSERT_TRUE(line.WaitForCount(kConnectRequests.size(), 20000)) << line.Summary();
        ASSERT_EQ(Program.TextAt(place::Identity), "QX7");
    }

    std::string Text(size_t place) const { return Program.TextAt(place); }

    ConfigProgram Program;
    SimulatorControl Transmitter;
};

TEST_F(Connection, AQx7IsReadCompletelyInOrderAndShownAsItReports) {
    for (const char* setting :
         {"set firmware 0x0103", "set serial -1", "set output_type 6", "set probe_kind 3",
          "set date 20240315", "set range_max 100", "set ph 12.34", "set concentration 12.34"}) {
        ASSERT_TRUE(Transmitter.Send(setting)) << setting;
    }
    LineWatch line;
    line.Mark();
    ASSERT_EQ(Choose("COM7"), Delivery::Handled);

    ASSERT_TRUE(line.WaitForCount(kConnectRequests.size(), 20000)) << line.Summary();
    // Without "Číst" nothing follows the first reading of the live values.
    Sleep(1500);
    EXPECT_EQ(line.Codes(), kConnectRequests);
    EXPECT_EQ(line.Frames().front().Bytes, (std::vector<std::uint8_t>{0x01, 0x21, 0x00, 0xDE}));

    EXPECT_EQ(Text(place::Identity), "QX7");
    EXPECT_EQ(Text(place::Firmware), "1.03");
    EXPECT_EQ(Text(place::SerialNumber), "-1");
    // The name of the output type's two low bits.
    EXPECT_EQ(Text(place::Output), "Aktivní 0 až 5 V");
    EXPECT_EQ(Text(place::Probe), "ISE");
    EXPECT_EQ(Text(place::Calibration), "2024-03-15");
    EXPECT_EQ(Text(place::Offset), "0.000");
    EXPECT_EQ(Text(place::Sensitivity), "-59.160");
    EXPECT_EQ(Text(place::RangeMin), "0.00");
    EXPECT_EQ(Text(place::RangeMax), "100.00");
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::InputDampingBox)), 5);
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::TempDampingBox)), 3);
    // The simulator's polynomial is the Pt100's.
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::SensorBox)), 0);
    EXPECT_EQ(Text(place::Resistance), "109.73");
    EXPECT_EQ(Text(place::Temperature), "25.00");
    // The ratio 0.1234 of the value 12.34 in the range 0 to 100, in per cent.
    EXPECT_EQ(Text(place::Ratio), "12.34");
}

TEST_F(Connection, AForeignTransmitterIsRefusedWithItsIdentityAsCaption) {
    ConnectToTransmitter();
    const std::string output = Text(place::Output);
    ASSERT_EQ(driver::Click(Program.Control(place::ReadCheck)), Delivery::Handled);
    ASSERT_TRUE(Transmitter.Send("set identity QX8"));
    LineWatch line;
    line.Mark();
    // The message box keeps the handler running, so the choice is only posted.
    ASSERT_NE(Choose("COM7", 0), Delivery::Failed);

    MessageBoxInfo box;
    ASSERT_TRUE(driver::FindMessageBox(Program.ProcessId(), 10000, box));
    EXPECT_EQ(box.Text, "Převodník není kompatibilní s tímto nástrojem.");
    EXPECT_EQ(box.Caption, "QX8");
    EXPECT_EQ(GetWindowLongPtrA(box.Handle, GWLP_HWNDPARENT),
              reinterpret_cast<LONG_PTR>(Program.Window()))
        << "the box belongs to the main window";
    // The poll timer runs on behind the box, yet the refused transmitter hears nothing more.
    Sleep(2500);
    EXPECT_EQ(line.Codes(), std::vector<int>{33});

    ASSERT_NE(driver::CloseMessageBox(box), Delivery::Failed);
    EXPECT_TRUE(driver::WaitUntil([&] { return Text(place::Identity).empty(); }, 20000));
    EXPECT_EQ(Text(place::Firmware), "");
    EXPECT_EQ(Text(place::SerialNumber), "");
    EXPECT_EQ(Text(place::Output), output) << "the other fields keep the earlier values";
    Sleep(1500);
    EXPECT_EQ(line.Codes(), std::vector<int>{33}) << "the port is closed";
}

TEST_F(Connection, APortThatCannotBeOpenedEmptiesTheIdentityFieldsWithoutAMessage) {
    ConnectToTransmitter();
    const std::string probe = Text(place::Probe);
    LineWatch line;
    line.Mark();

    ASSERT_EQ(Choose(kDeadPort), Delivery::Handled);

    MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(Program.ProcessId(), 1000, box));
    EXPECT_EQ(Text(place::Identity), "");
    EXPECT_EQ(Text(place::Firmware), "");
    EXPECT_EQ(Text(place::SerialNumber), "");
    EXPECT_EQ(Text(place::Probe), probe);
    EXPECT_TRUE(line.Codes().empty());
}

TEST_F(Connection, ATransmitterThatDoesNotAnswerItsIdentityIsLeftAtOnce) {
    ConnectToTransmitter();
    ASSERT_EQ(driver::Click(Program.Control(place::ReadCheck)), Delivery::Handled);
    ASSERT_TRUE(Transmitter.Send("fault silent on 33 times 1"));
    LineWatch line;
    line.Mark();

    ASSERT_EQ(Choose("COM7"), Delivery::Handled);

    MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(Program.ProcessId(), 1000, box));
    EXPECT_EQ(Text(place::Identity), "");
    EXPECT_EQ(Text(place::Firmware), "");
    EXPECT_EQ(Text(place::SerialNumber), "");
    Sleep(1500);
    EXPECT_EQ(line.Codes(), std::vector<int>{33}) << "the running poll finds the port closed";
}

TEST_F(Connection, ACopiedOrLateReplyInTheFirstReadingNeverShowsInAnotherField) {
    // Offset and sensitivity, minimum and maximum: neighbours of one reply length.
    for (const char* setting : {"set offset 12.5", "set range_min 1", "set range_max 13"}) {
        ASSERT_TRUE(Transmitter.Send(setting)) << setting;
    }
    // Every field of a four-byte reply, with the text of its own value.
    const std::vector<std::pair<size_t, std::string>> own = {
        {place::SerialNumber, "70412"}, {place::Calibration, "2024-03-15"},
        {place::Offset, "12.500"},      {place::Sensitivity, "-59.160"},
        {place::RangeMin, "1.00"},      {place::RangeMax, "13.00"}};
    const std::vector<std::vector<const char*>> cases = {
        {"fault duplicate on offset times 1", "fault duplicate on range_min times 1"},
        {"fault late 495-499 on offset times 1", "fault late 495-499 on range_min times 1"},
        {"fault late 300 on offset times 1", "fault late 300 on range_min times 1"}};
    for (const std::vector<const char*>& faults : cases) {
        SCOPED_TRACE(faults.front());
        for (const char* fault : faults) {
            ASSERT_TRUE(Transmitter.Send(fault)) << fault;
        }
        LineWatch line;
        line.Mark();
        ASSERT_EQ(Choose("COM7"), Delivery::Handled);
        ASSERT_TRUE(line.WaitForCount(kConnectRequests.size(), 20000)) << line.Summary();
        // (7 - 1) / (13 - 1) in per cent: the last field of the first reading.
        ASSERT_TRUE(driver::WaitUntil([&] { return Text(place::Ratio) == "50.00"; }, 5000));

        EXPECT_EQ(line.Codes(), kConnectRequests) << "each request once, none retried";
        for (const auto& [field, text] : own) {
            EXPECT_TRUE(Text(field) == text || Text(field).empty())
                << "field #" << field + 1 << " shows " << Text(field);
        }
        EXPECT_EQ(Text(place::Identity), "QX7");
        const int input = driver::ComboSelection(Program.Control(place::InputDampingBox));
        const int temperature = driver::ComboSelection(Program.Control(place::TempDampingBox));
        EXPECT_TRUE(input == 5 || input == CB_ERR) << input;
        EXPECT_TRUE(temperature == 3 || temperature == CB_ERR) << temperature;
    }
}

TEST_F(Connection, NoCoefficientsAreAskedForWhenTheSensorDegreeIsNotAnswered) {
    ASSERT_TRUE(Transmitter.Send("fault silent on 52 times 1"));
    LineWatch line;
    line.Mark();
    ASSERT_EQ(Choose("COM7"), Delivery::Handled);

    ASSERT_TRUE(line.WaitForCount(kConnectRequests.size() - 1, 20000)) << line.Summary();
    Sleep(500);
    EXPECT_EQ(line.Codes(), (std::vector<int>{33, 34, 35, 50, 51, 60, 58, 59, 62, 56, 57, 52, 61,
                                              38, 39, 40, 41, 42}));
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::SensorBox)), CB_ERR);
    EXPECT_EQ(driver::ComboSelection(Program.Control(place::TempDampingBox)), 3)
        << "the reading goes on after the failed step";
}

}  // namespace
