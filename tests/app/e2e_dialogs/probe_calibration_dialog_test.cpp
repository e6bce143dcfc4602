// The "Kalibrace" dialog in the running program: two points sampled from the simulated
// transmitter, checked, computed and written, with the main window's poll held off meanwhile.
// Each point takes at least 36 ticks of 550 ms, so only three tests measure both points.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "calibration/buffer_list.h"
#include "tests/app/driver/message_box_info.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e_dialogs/dialog_session.h"

namespace {

constexpr int CalibrationButton = 106;
constexpr char Title[] = "Kalibrace";
constexpr char PointsRefused[] = "Chyba kalibračních bodů.";

constexpr int ProbeText = 101;
constexpr int Progress = 116;

// The controls of one point in the dialog.
struct PointIds {
    int Preset;
    int Buffer;
    int Standard;
    int Temperature;
    int Voltage;
    int Start;
};
constexpr PointIds Point1{104, 105, 106, 107, 108, 109};
constexpr PointIds Point2{110, 111, 112, 113, 114, 115};

// The simulator's default temperature polynomial (a Pt100) and its default slope.
constexpr double C0 = -245.80544;
constexpr double C1 = 2.3577354;
constexpr double C2 = 0.0010030776;
constexpr double DefaultSensitivity = -59.16;

double TemperatureAt(double ohm) {
    return C0 + (C1 + C2 * ohm) * ohm;
}

// The probe voltage that the simulator serves with its default offset of 0 mV.
double VoltageAt(double decades, double celsius) {
    return DefaultSensitivity * (celsius + 273.15) / 298.15 * decades;
}

// Today as the four bytes of a calibration date: day, month, year's low and high BCD digits.
std::vector<std::uint8_t> TodayBytes() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    auto bcd = [](int n) { return static_cast<std::uint8_t>((n / 10 % 10) << 4 | n % 10); };
    return {bcd(now.wDay), bcd(now.wMonth), bcd(now.wYear % 100), bcd(now.wYear / 100)};
}

std::string DateText(const std::vector<std::uint8_t>& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x%02x-%02x-%02x", bytes[3], bytes[2], bytes[1], bytes[0]);
    return text;
}

class ProbeCalibrationDialogTest : public DialogSession {
  protected:
    HWND Open() {
        Dialog = OpenDialog(CalibrationButton, Title);
        return Dialog;
    }

    HWND Item(int id) const { return GetDlgItem(Dialog, id); }
    std::string Text(int id) const { return driver::TextOf(Item(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    int ProgressPosition() const {
        return static_cast<int>(SendMessageA(Item(Progress), PBM_GETPOS, 0, 0));
    }

    void TypeStandard(const PointIds& point, const std::string& text) {
        ASSERT_EQ(driver::ReplaceText(Item(point.Standard), text), Delivery::Handled);
    }

    void Start(const PointIds& point) {
        ASSERT_EQ(driver::Click(Item(point.Start)), Delivery::Handled);
    }

    // A finished point shows its voltage and offers its button again.
    bool WaitFinished(const PointIds& point) const {
        return driver::WaitUntil(
            [&] { return Enabled(point.Start) && !Text(point.Voltage).empty(); }, 90000);
    }

    void Measure(const PointIds& point) {
        Start(point);
        ASSERT_TRUE(WaitFinished(point));
    }

    // Presses OK, which opens a message box instead of closing when the points are refused.
    void PressOkAndWaitClosed() {
        DayOfOk = TodayBytes();
        ASSERT_EQ(driver::Click(Item(IDOK)), Delivery::Handled);
        ASSERT_TRUE(WaitClosed(Dialog));
    }

    // OK refuses the points with its message box, which the user then closes.
    void ExpectOkRefused() {
        ASSERT_EQ(driver::Click(Item(IDOK), 0), Delivery::Pending);
        MessageBoxInfo box;
        ASSERT_TRUE(driver::FindMessageBox(Program.ProcessId(), 5000, box));
        EXPECT_EQ(box.Caption, "Kalibrace");
        EXPECT_EQ(box.Text, PointsRefused);
        ASSERT_NE(driver::CloseMessageBox(box), Delivery::Failed);
    }

    // OK refuses the points; the dialog, then closed, wrote nothing.
    void ExpectOkRefusedAndNothingWritten() {
        ExpectOkRefused();
        ASSERT_NE(driver::CloseWindow(Dialog), Delivery::Failed);
        ASSERT_TRUE(WaitClosed(Dialog));
        EXPECT_TRUE(FramesOf({58, 59, 60}).empty());
    }

    // The offset, slope and date writes of OK, in this order.
    void ExpectResultWritten(double offset, double slope) {
        const std::vector<LoggedFrame> writes = FramesOf({58, 59, 60});
        ASSERT_EQ(writes.size(), 3u);
        ASSERT_EQ(writes[0].Code(), 58);
        ASSERT_EQ(writes[1].Code(), 59);
        ASSERT_EQ(writes[2].Code(), 60);
        EXPECT_NEAR(FloatOf(writes[0]), offset, 0.005);
        EXPECT_NEAR(FloatOf(writes[1]), slope, 0.005);
        const std::vector<std::uint8_t> date = DataOf(writes[2]);
        // A run across midnight may date it either day.
        EXPECT_TRUE(date == DayOfOk || date == TodayBytes()) << DateText(date);
        // The main window shows what the transmitter echoed, which is what was sent.
        EXPECT_EQ(Program.TextAt(place::Offset), FloatText(3, FloatOf(writes[0])));
        EXPECT_EQ(Program.TextAt(place::Sensitivity), FloatText(3, FloatOf(writes[1])));
        EXPECT_EQ(Program.TextAt(place::Calibration), DateText(date));
    }

    // A point's standard, temperature and voltage as the dialog shows them.
    std::vector<std::string> ShownPoint(const PointIds& point) const {
        return {Text(point.Standard), Text(point.Temperature), Text(point.Voltage)};
    }

    // The same values of a recorded point, as the dialog would show them.
    static std::vector<std::string> RecordedPoint(const nlohmann::json& point) {
        return {FloatText(3, point["standard"].get<float>()),
                FloatText(2, point["temperature_c"].get<float>()),
                FloatText(3, point["voltage_mv"].get<float>())};
    }

    // The calibration the main window showed before the dialog opened.
    std::vector<std::string> MainWindowCalibration() const {
        return {Program.TextAt(place::Offset), Program.TextAt(place::Sensitivity),
                Program.TextAt(place::Calibration)};
    }

    static std::vector<std::string> RecordedCalibration(const nlohmann::json& values) {
        const std::string date = values["calibration_date"].is_null()
                                     ? "0000-00-00"
                                     : values["calibration_date"].get<std::string>();
        return {FloatText(3, values["offset_mv"].get<float>()),
                FloatText(3, values["slope_mv"].get<float>()), date};
    }

    HWND Dialog = nullptr;
    std::vector<std::uint8_t> DayOfOk;
};

TEST_F(ProbeCalibrationDialogTest, TheMainWindowsPollKeepsOffTheLineWhileTheDialogIsOpen) {
    Connect();
    ASSERT_EQ(driver::Click(Program.Control(place::ReadCheck)), Delivery::Handled);
    ASSERT_TRUE(driver::WaitUntil([&] { return CountOf(38) > 0; }, 20000)) << "polling runs";

    ASSERT_NE(Open(), nullptr);
    Line.Mark();
    Sleep(3000);
    std::vector<int> others;
    for (int code : Line.Codes()) {
        if (code != 39 && code != 40) {
            others.push_back(code);
        }
    }
    EXPECT_GT(CountOf(39), 0) << "the dialog's own live values";
    EXPECT_EQ(others, std::vector<int>{}) << "nothing but the dialog's live values";

    ASSERT_NE(driver::PressKey(Dialog, VK_ESCAPE), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(Dialog));
    Line.Mark();
    EXPECT_TRUE(driver::WaitUntil([&] { return CountOf(38) > 0; }, 20000)) << "polling resumes";
}

TEST_F(ProbeCalibrationDialogTest, AFailedSetUpLeavesNothingToStartAndOkRefuses) {
    Connect();
    ASSERT_TRUE(Transmitter.Send("fault silent on 52 times 1"));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(ProbeText), "Chyba komunikace");
    for (int id : {Point1.Preset, Point1.Start, Point2.Preset, Point2.Start}) {
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    }
    // The unanswered request may reach the log after the dialog shows; then nothing more
    // comes: a timer would have asked again within the 550 ms of a tick.
    EXPECT_TRUE(Line.WaitForCount(2, 20000)) << Line.Summary();
    Sleep(1200);
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51, 52})) << "no coefficients, and no timer";

    ExpectOkRefusedAndNothingWritten();
}

TEST_F(ProbeCalibrationDialogTest, APresetBoxSwitchesItsPointBetweenABufferAndATypedStandard) {
    Connect();
    ASSERT_NE(Open(), nullptr);
    TypeStandard(Point2, "0");
    Start(Point2);
    ASSERT_EQ(Text(Point2.Temperature), "Chyba");

    ASSERT_EQ(driver::Click(Item(Point2.Preset)), Delivery::Handled);
    EXPECT_EQ(Text(Point2.Temperature), "") << "toggling the box clears the point";
    EXPECT_EQ(Text(Point2.Standard), "");
    EXPECT_FALSE(Enabled(Point2.Standard));
    EXPECT_TRUE(Enabled(Point2.Buffer));
    EXPECT_EQ(driver::ComboSelection(Item(Point2.Buffer)), 2) << "pH 7.01";

    ASSERT_EQ(driver::Click(Item(Point2.Preset)), Delivery::Handled);
    EXPECT_TRUE(Enabled(Point2.Standard));
    EXPECT_FALSE(Enabled(Point2.Buffer));
    EXPECT_EQ(driver::ComboSelection(Item(Point2.Buffer)), -1);

    ASSERT_EQ(driver::Click(Item(Point1.Preset)), Delivery::Handled);
    EXPECT_EQ(driver::ComboSelection(Item(Point1.Buffer)), 0) << "pH 4.01";
    EXPECT_EQ(driver::ComboItems(Item(Point1.Buffer)),
              (std::vector<std::string>{"pH 4.01", "pH 6.86", "pH 7.01", "pH 9.18", "pH 10.01"}));
}

TEST_F(ProbeCalibrationDialogTest, APhProbeCalibratedInTwoBuffersWritesOffsetSlopeAndToday) {
    ASSERT_TRUE(Transmitter.Send("set ph 6.86"));
    // Every fourth resistance sample carries the fault pattern and must not count.
    ASSERT_TRUE(Transmitter.Send("fault pattern on 36 every 4"));
    Connect();
    const std::vector<std::string> calibrationBefore = MainWindowCalibration();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(ProbeText), "pH");
    EXPECT_TRUE(Enabled(Point1.Preset));
    EXPECT_TRUE(Enabled(Point2.Preset));
    EXPECT_EQ(SendMessageA(Item(Progress), PBM_GETRANGE, FALSE, 0), 36) << "36 samples a point";

    ASSERT_EQ(driver::Click(Item(Point1.Preset)), Delivery::Handled);
    ASSERT_EQ(driver::ChooseComboText(Item(Point1.Buffer), "pH 6.86"), Delivery::Handled);
    ASSERT_EQ(driver::Click(Item(Point2.Preset)), Delivery::Handled);
    ASSERT_EQ(driver::ChooseComboText(Item(Point2.Buffer), "pH 4.01"), Delivery::Handled);

    Line.Mark();
    Start(Point1);
    EXPECT_FALSE(Enabled(Point1.Start));
    EXPECT_EQ(driver::FocusedWindow(Dialog), Item(IDOK));
    ASSERT_TRUE(driver::WaitUntil([&] { return ProgressPosition() > 0; }, 20000));

    // While point 1 samples, neither "2" nor OK does anything.
    Start(Point2);
    EXPECT_TRUE(Enabled(Point2.Start));
    ASSERT_EQ(driver::Click(Item(IDOK)), Delivery::Handled);
    MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(Program.ProcessId(), 300, box));
    EXPECT_TRUE(IsWindow(Dialog));

    ASSERT_TRUE(WaitFinished(Point1));
    EXPECT_EQ(CountOf(37), 36) << "one voltage sample for each good resistance sample";
    EXPECT_EQ(CountOf(36), 47) << "eleven marked samples were read again";
    EXPECT_EQ(ProgressPosition(), 0);
    const double t1 = TemperatureAt(109.734657);
    const std::unique_ptr<BufferList> buffers(CreateBufferList());
    const double n1 = buffers->ItemAt(1)->PhAt(static_cast<float>(t1));
    EXPECT_EQ(Text(Point1.Standard), FloatText(3, static_cast<float>(n1)));
    EXPECT_EQ(Text(Point1.Temperature), "25.00");
    const double u1 = VoltageAt(6.86 - 7.0, t1);
    EXPECT_EQ(Text(Point1.Voltage), FloatText(3, static_cast<float>(u1)));

    ASSERT_TRUE(Transmitter.Send("clear"));
    ASSERT_TRUE(Transmitter.Send("set ph 4.01"));
    ASSERT_TRUE(Transmitter.Send("set resistance 110.5"));
    Measure(Point2);
    const double t2 = TemperatureAt(110.5);
    const double n2 = buffers->ItemAt(0)->PhAt(static_cast<float>(t2));
    const double u2 = VoltageAt(4.01 - 7.0, t2);

    const std::vector<std::string> shown1 = ShownPoint(Point1);
    const std::vector<std::string> shown2 = ShownPoint(Point2);
    Line.Mark();
    PressOkAndWaitClosed();
    const double slope = (u2 - u1) / (n2 - n1);
    const double offset = u1 - (n1 - 7.0) * slope;
    ExpectResultWritten(offset, slope * 298.15 / ((t1 + t2) * 0.5 + 273.15));

    // One record, with the values the dialog showed and the main window shows now.
    const std::vector<nlohmann::json> records = Records();
    ASSERT_EQ(records.size(), 1u);
    const nlohmann::json& record = records[0];
    EXPECT_EQ(record["event"], "calibration");
    EXPECT_EQ(record["outcome"]["result"], "written");
    EXPECT_EQ(record["tool"]["program"], "qx7config");
    EXPECT_EQ(record["device"]["identity"], "QX7");
    EXPECT_EQ(record["device"]["firmware"], Program.TextAt(place::Firmware));
    EXPECT_EQ(record["device"]["serial_number"].dump(), Program.TextAt(place::SerialNumber));
    EXPECT_EQ(RecordedCalibration(record["as_found"]), calibrationBefore);
    EXPECT_EQ(RecordedCalibration(record["as_left"]), MainWindowCalibration());
    EXPECT_EQ(record["as_left"]["probe_kind"], "pH");
    const nlohmann::json& points = record["points"];
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0]["buffer"], "pH 6.86");
    EXPECT_EQ(points[1]["buffer"], "pH 4.01");
    EXPECT_EQ(RecordedPoint(points[0]), shown1);
    EXPECT_EQ(RecordedPoint(points[1]), shown2);
    EXPECT_EQ(points[0]["samples"], 36);
    EXPECT_EQ(points[1]["spread_mv"], 0) << "the simulator's voltage holds still";
    EXPECT_EQ(record["judgement"]["overall"], "good");
    EXPECT_EQ(record["judgement"]["limits"]["slope_good_min"], 95);
}

TEST_F(ProbeCalibrationDialogTest, RefusedStandardsAndPointsTooCloseWriteNothing) {
    Connect();
    ASSERT_NE(Open(), nullptr);
    for (const char* standard : {"0", "-4", "abc", ""}) {
        TypeStandard(Point1, standard);
        Start(Point1);
        EXPECT_EQ(Text(Point1.Temperature), "Chyba") << '"' << standard << '"';
        EXPECT_TRUE(Enabled(Point1.Start));
    }

    // The simulator's probe sits at pH 7, so the voltage is the offset alone: 0 and 25 mV.
    TypeStandard(Point1, "7");
    Measure(Point1);
    EXPECT_EQ(Text(Point1.Voltage), "0.000");
    ASSERT_TRUE(Transmitter.Send("set offset 25"));
    TypeStandard(Point2, "4,0");
    Measure(Point2);
    EXPECT_EQ(Text(Point2.Voltage), "25.000");

    Line.Mark();
    ExpectOkRefused();
    EXPECT_FALSE(WaitClosed(Dialog, 1000)) << "the dialog stays for another try";
    EXPECT_EQ(Text(Point2.Voltage), "25.000");
    // The refusal is kept with both points and why, and the transmitter as it was.
    const std::vector<nlohmann::json> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["outcome"]["result"], "refused");
    EXPECT_EQ(records[0]["outcome"]["reason"], "the voltages are not more than 25 mV apart");
    EXPECT_EQ(records[0]["as_left"], records[0]["as_found"]);
    EXPECT_TRUE(records[0]["judgement"].is_null());
    ASSERT_EQ(records[0]["points"].size(), 2u);
    EXPECT_TRUE(records[0]["points"][0]["buffer"].is_null()) << "a typed standard";
    EXPECT_EQ(RecordedPoint(records[0]["points"][0]),
              (std::vector<std::string>{"7.000", "25.00", "0.000"}));
    EXPECT_EQ(RecordedPoint(records[0]["points"][1]),
              (std::vector<std::string>{"4.000", "25.00", "25.000"}));

    ASSERT_NE(driver::PressKey(Dialog, VK_ESCAPE), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(Dialog));
    EXPECT_TRUE(FramesOf({58, 59, 60}).empty());
}

TEST_F(ProbeCalibrationDialogTest, AnIseProbeIsCalibratedWithTypedStandardsOnly) {
    ASSERT_TRUE(Transmitter.Send("set probe_kind 1"));
    ASSERT_TRUE(Transmitter.Send("set concentration 10"));
    Connect();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(ProbeText), "ISE");
    EXPECT_FALSE(Enabled(Point1.Preset)) << "buffers are pH standards";
    EXPECT_FALSE(Enabled(Point2.Preset));

    TypeStandard(Point1, "10");
    Measure(Point1);
    ASSERT_TRUE(Transmitter.Send("set concentration 1000"));
    TypeStandard(Point2, "1000");
    Measure(Point2);

    // A standard corrected after its point was measured is not the solution the point saw.
    Line.Mark();
    TypeStandard(Point1, "100");
    ExpectOkRefused();
    EXPECT_TRUE(FramesOf({58, 59, 60}).empty());
    // The same number in another spelling is the measured standard again.
    TypeStandard(Point1, "10,0");
    PressOkAndWaitClosed();
    // One decade is the simulator's slope at 25 degrees; the offset is the voltage at 1.
    ExpectResultWritten(0.0, DefaultSensitivity);
    const std::vector<nlohmann::json> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["outcome"]["reason"],
              "a typed standard was changed after its point was measured");
    EXPECT_EQ(records[1]["outcome"]["result"], "written");
    EXPECT_EQ(records[1]["as_left"]["probe_kind"], "ISE");
    EXPECT_TRUE(records[1]["judgement"].is_null()) << "an ISE slope depends on its ion";
    EXPECT_EQ(records[1]["seq"], 2);
}

TEST_F(ProbeCalibrationDialogTest, ChangingTheBufferOfAMeasuredPointClearsItAndOkWritesNothing) {
    Connect();
    ASSERT_NE(Open(), nullptr);
    TypeStandard(Point2, "7");
    Measure(Point2);
    ASSERT_TRUE(Transmitter.Send("set ph 4.01"));
    ASSERT_EQ(driver::Click(Item(Point1.Preset)), Delivery::Handled);
    Measure(Point1);
    ASSERT_FALSE(Text(Point1.Standard).empty());

    ASSERT_EQ(driver::ChooseComboText(Item(Point1.Buffer), "pH 6.86"), Delivery::Handled);
    EXPECT_EQ(Text(Point1.Standard), "");
    EXPECT_EQ(Text(Point1.Temperature), "");
    EXPECT_EQ(Text(Point1.Voltage), "");

    Line.Mark();
    ExpectOkRefusedAndNothingWritten();
}

TEST_F(ProbeCalibrationDialogTest, ClosingTheMainWindowUnderTheDialogCancelsItThenEndsTheProgram) {
    Connect();
    ASSERT_NE(Open(), nullptr);
    // While a point is sampled, so that the dialog's timer is busy too.
    TypeStandard(Point1, "7");
    Start(Point1);
    ASSERT_TRUE(driver::WaitUntil([&] { return ProgressPosition() > 0; }, 5000));
    Line.Mark();
    PostMessageA(Program.Window(), WM_CLOSE, 0, 0);

    DWORD exitCode = 1;
    ASSERT_TRUE(Program.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(FramesOf({58, 59, 60}).empty());
    EXPECT_FALSE(std::filesystem::exists(RecordsFolder())) << "a cancelled calibration keeps none";
}

TEST_F(ProbeCalibrationDialogTest, ASilentLineShowsAsACommunicationErrorInTheLiveValues) {
    constexpr int LiveTemperature = 102;
    constexpr int LiveVoltage = 103;
    Connect();
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(driver::WaitUntil([&] { return Text(LiveTemperature) == "25.00"; }, 20000));
    // The background left of the right-aligned text, inside the field's border.
    auto background = [&](int id) {
        RECT rect{};
        GetWindowRect(Item(id), &rect);
        POINT inside = {rect.left + 4, (rect.top + rect.bottom) / 2};
        ScreenToClient(Dialog, &inside);
        return driver::WindowPixel(Dialog, inside.x, inside.y);
    };
    const COLORREF grey = background(LiveTemperature);

    ASSERT_TRUE(Transmitter.Send("fault silent"));
    for (int id : {LiveTemperature, LiveVoltage}) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Text(id) == "Chyba komunikace"; }, 20000))
            << "field " << id;
        EXPECT_TRUE(driver::WaitUntil([&] { return background(id) == RGB(0xFF, 0, 0); }, 20000))
            << "field " << id;
    }

    ASSERT_TRUE(Transmitter.Send("clear"));
    EXPECT_TRUE(driver::WaitUntil([&] { return Text(LiveTemperature) == "25.00"; }, 20000));
    EXPECT_TRUE(driver::WaitUntil([&] { return Text(LiveVoltage) == "0.00"; }, 20000));
    for (int id : {LiveTemperature, LiveVoltage}) {
        EXPECT_TRUE(driver::WaitUntil([&] { return background(id) == grey; }, 20000))
            << "field " << id;
    }
    ASSERT_NE(driver::PressKey(Dialog, VK_ESCAPE), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(Dialog));
}

}  // namespace
