// The "Sonda" dialog in the running program: OK writes the chosen kind with the defaults that
// go with it and the main window shows what the transmitter stored; leaving writes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/app/driver/message_box_info.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e_dialogs/dialog_session.h"

namespace {

constexpr int ProbeTypeButton = 105;
constexpr int KindCombo = 101;
constexpr char Title[] = "Sonda";

class ProbeTypeDialogTest : public DialogSession {
  protected:
    // Settings that the defaults must visibly replace.
    void SetUp() override {
        DialogSession::SetUp();
        ASSERT_TRUE(Transmitter.Send("set offset 12.5"));
        ASSERT_TRUE(Transmitter.Send("set sensitivity -55"));
        ASSERT_TRUE(Transmitter.Send("set range_min 2"));
        ASSERT_TRUE(Transmitter.Send("set range_max 12"));
    }

    // Presses OK and waits for the dialog to close.
    void PressOk(HWND dialog) {
        ASSERT_EQ(driver::Click(GetDlgItem(dialog, IDOK)), Delivery::Handled);
        ASSERT_TRUE(WaitClosed(dialog));
    }

    std::vector<std::string> MainWindowFields() const {
        return {Program.TextAt(place::Probe),    Program.TextAt(place::Calibration),
                Program.TextAt(place::Offset),   Program.TextAt(place::Sensitivity),
                Program.TextAt(place::RangeMin), Program.TextAt(place::RangeMax)};
    }
};

TEST_F(ProbeTypeDialogTest, OkOnAPhTransmitterResetsCalibrationAndRange) {
    Connect();
    const HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    const HWND kinds = GetDlgItem(dialog, KindCombo);
    EXPECT_EQ(driver::ComboItems(kinds), (std::vector<std::string>{"pH", "ISE"}));
    EXPECT_EQ(driver::ComboSelection(kinds), 0) << "the transmitter's kind is preselected";

    PressOk(dialog);

    const std::vector<LoggedFrame> frames = Line.Frames();
    ASSERT_EQ(Line.Codes(), (std::vector<int>{51, 51, 60, 58, 59, 56, 57}));
    EXPECT_TRUE(DataOf(frames[0]).empty()) << "set-up reads the kind";
    EXPECT_EQ(DataOf(frames[1]), (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(DataOf(frames[2]), (std::vector<std::uint8_t>{0, 0, 0, 0})) << "no date";
    EXPECT_EQ(FloatOf(frames[3]), 0.0f);
    EXPECT_EQ(FloatOf(frames[4]), -59.16f);
    EXPECT_EQ(FloatOf(frames[5]), 0.0f);
    EXPECT_EQ(FloatOf(frames[6]), 14.0f);
    EXPECT_EQ(MainWindowFields(),
              (std::vector<std::string>{"pH", "0000-00-00", "0.000", "-59.160", "0.00", "14.00"}));

    const std::vector<nlohmann::json> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["event"], "probe-kind-reset");
    EXPECT_EQ(records[0]["outcome"]["result"], "written");
    EXPECT_EQ(records[0]["as_found"]["offset_mv"], 12.5);
    EXPECT_EQ(records[0]["as_found"]["slope_mv"], -55);
    EXPECT_EQ(records[0]["as_left"],
              nlohmann::json::parse(R"({"probe_kind":"pH","offset_mv":0,"slope_mv":-59.16,)"
                                    R"("calibration_date":null})"));
}

TEST_F(ProbeTypeDialogTest, ARecordsFolderThatCannotBeMadeIsNamedInOneMessageAfterTheWrites) {
    // A file where the folder would be.
    const std::string blocked = RecordsRoot + "\\blocked";
    std::ofstream(blocked) << "not a folder";
    const std::string folder = blocked + "\\records";
    ASSERT_TRUE(Program.Start({"QX7_RECORDS=" + folder}));
    Connect();
    const HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);

    ASSERT_EQ(driver::Click(GetDlgItem(dialog, IDOK), 0), Delivery::Pending);
    MessageBoxInfo box;
    ASSERT_TRUE(driver::FindMessageBox(Program.ProcessId(), 10000, box));
    EXPECT_EQ(box.Caption, "Kalibrace");
    EXPECT_NE(box.Text.find(folder), std::string::npos) << box.Text;
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51, 51, 60, 58, 59, 56, 57}))
        << "every write made before the message";
    ASSERT_NE(driver::CloseMessageBox(box), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(dialog));
    EXPECT_FALSE(driver::FindMessageBox(Program.ProcessId(), 1000, box)) << "one message only";
    EXPECT_EQ(MainWindowFields(),
              (std::vector<std::string>{"pH", "0000-00-00", "0.000", "-59.160", "0.00", "14.00"}));
}

TEST_F(ProbeTypeDialogTest, ChoosingIseWritesItWithTheWiderRange) {
    Connect();
    const HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(driver::ChooseComboText(GetDlgItem(dialog, KindCombo), "ISE"), Delivery::Handled);
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51})) << "a choice alone writes nothing";

    PressOk(dialog);

    const std::vector<LoggedFrame> kindWrites = FramesOf({51});
    ASSERT_EQ(kindWrites.size(), 2u);
    EXPECT_EQ(DataOf(kindWrites[1]), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(MainWindowFields(), (std::vector<std::string>{"ISE", "0000-00-00", "0.000", "-59.160",
                                                            "0.00", "10000.00"}));
}

TEST_F(ProbeTypeDialogTest, EscapeAndTheCloseBoxLeaveWithoutWriting) {
    Connect();
    const std::vector<std::string> before = MainWindowFields();

    HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(driver::ChooseComboText(GetDlgItem(dialog, KindCombo), "ISE"), Delivery::Handled);
    ASSERT_NE(driver::PressKey(dialog, VK_ESCAPE), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(dialog)) << "Esc";

    dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(driver::ChooseComboText(GetDlgItem(dialog, KindCombo), "ISE"), Delivery::Handled);
    ASSERT_NE(driver::CloseWindow(dialog), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(dialog)) << "the close box";

    EXPECT_EQ(Line.Codes(), (std::vector<int>{51, 51})) << "only the set-up reads";
    EXPECT_EQ(MainWindowFields(), before);
}

TEST_F(ProbeTypeDialogTest, AnUnknownKindMustBeChosenBeforeAnythingIsWritten) {
    ASSERT_TRUE(Transmitter.Send("set probe_kind 7"));
    Connect();
    const HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    const HWND kinds = GetDlgItem(dialog, KindCombo);
    EXPECT_EQ(driver::ComboItems(kinds), (std::vector<std::string>{"pH", "ISE"}));
    EXPECT_EQ(driver::ComboSelection(kinds), -1);

    ASSERT_EQ(driver::Click(GetDlgItem(dialog, IDOK)), Delivery::Handled);
    EXPECT_FALSE(WaitClosed(dialog, 500)) << "OK without a kind keeps the dialog open";
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51})) << "kind 255 must never be written";

    ASSERT_EQ(driver::ChooseComboText(kinds, "pH"), Delivery::Handled);
    PressOk(dialog);
    const std::vector<LoggedFrame> kindWrites = FramesOf({51});
    ASSERT_EQ(kindWrites.size(), 2u);
    EXPECT_EQ(DataOf(kindWrites[1]), (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(Program.TextAt(place::Probe), "pH");
}

TEST_F(ProbeTypeDialogTest, AnUnreadableKindLetsOkCloseWithoutWriting) {
    // A calibrated ISE probe, which the pH defaults would wipe.
    ASSERT_TRUE(Transmitter.Send("set probe_kind 1"));
    ASSERT_TRUE(Transmitter.Send("set sensitivity -30"));
    ASSERT_TRUE(Transmitter.Send("set date 20250101"));
    ASSERT_TRUE(Transmitter.Send("set range_max 10000"));
    Connect();
    const std::vector<std::string> before = MainWindowFields();
    ASSERT_TRUE(Transmitter.Send("fault silent on 51 times 1"));
    HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    const HWND kinds = GetDlgItem(dialog, KindCombo);
    EXPECT_EQ(driver::ComboItems(kinds), (std::vector<std::string>{"Chyba komunikace"}));
    EXPECT_EQ(driver::ComboSelection(kinds), 0);

    // Enter is OK.
    ASSERT_NE(driver::PressKey(dialog, VK_RETURN), Delivery::Failed);
    ASSERT_TRUE(WaitClosed(dialog));
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51})) << "only the set-up read";
    EXPECT_EQ(MainWindowFields(), before);

    // Once the kind reads again, OK writes it with its defaults as before.
    dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver::ComboSelection(GetDlgItem(dialog, KindCombo)), 1);
    PressOk(dialog);
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51, 51, 51, 60, 58, 59, 56, 57}));
    EXPECT_EQ(MainWindowFields(), (std::vector<std::string>{"ISE", "0000-00-00", "0.000", "-59.160",
                                                            "0.00", "10000.00"}));
}

// The command that closes the main window from anywhere in its tree.
constexpr WPARAM ExitCommand = 0xFF14;

TEST_F(ProbeTypeDialogTest, TheExitCommandUnderTheDialogCancelsItThenEndsTheProgram) {
    Connect();
    const HWND dialog = OpenDialog(ProbeTypeButton, Title);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(driver::ChooseComboText(GetDlgItem(dialog, KindCombo), "ISE"), Delivery::Handled);
    // Sent to the dialog, it travels up to the main window.
    PostMessageA(dialog, WM_COMMAND, ExitCommand, 0);

    DWORD exitCode = 1;
    ASSERT_TRUE(Program.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Line.Codes(), (std::vector<int>{51})) << "cancelled: nothing written";
}

}  // namespace
