// The main window as the user first sees it: its frame, every control in its place, the lists
// filled and nothing chosen, and the Tab key walking the controls in layout order.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/config_program.h"
#include "tests/app/e2e/serial_port_map.h"
#include "tests/support/windows_1250.h"

namespace {

enum class Kind { Label, Ports, Value, Button, Group, List, Entry, Check };

struct Expected {
    Kind Type;
    int Id;
    // UTF-8: the window must show the Windows-1250 bytes that the system's tables give for it.
    const char* Text;
    int X, Y, W, H;
};

// clang-format off
const Expected kLayout[] = {
    {Kind::Label, 0, u8"Port", 485, 14, 30, 20},
    {Kind::Ports, 101, u8"", 525, 10, 85, 160},
    {Kind::Label, 0, u8"Převodník", 10, 12, 90, 18},
    {Kind::Value, 0, u8"", 110, 10, 140, 20},
    {Kind::Label, 0, u8"Firmware", 10, 37, 90, 18},
    {Kind::Value, 0, u8"", 110, 35, 140, 20},
    {Kind::Label, 0, u8"Výrobní číslo", 10, 62, 90, 18},
    {Kind::Value, 0, u8"", 110, 60, 140, 20},
    {Kind::Label, 0, u8"Výstup", 10, 87, 90, 18},
    {Kind::Value, 0, u8"", 110, 85, 140, 20},
    {Kind::Label, 0, u8"Sonda", 10, 112, 90, 18},
    {Kind::Value, 0, u8"", 110, 110, 140, 20},
    {Kind::Button, 105, u8"...", 260, 110, 32, 20},
    {Kind::Label, 0, u8"Kalibrace", 10, 137, 90, 18},
    {Kind::Value, 0, u8"", 110, 135, 140, 20},
    {Kind::Button, 106, u8"...", 260, 135, 32, 20},
    {Kind::Group, 0, u8"Vstup", 10, 165, 210, 190},
    {Kind::Label, 0, u8"Offset", 20, 192, 60, 18},
    {Kind::Value, 0, u8"", 130, 190, 80, 24},
    {Kind::Label, 0, u8"Citlivost", 20, 222, 60, 18},
    {Kind::Value, 0, u8"", 130, 220, 80, 24},
    {Kind::Label, 0, u8"Tlumení", 20, 254, 60, 18},
    {Kind::List, 107, u8"", 130, 250, 80, 200},
    {Kind::Label, 0, u8"Min", 20, 293, 35, 18},
    {Kind::Entry, 0, u8"", 65, 291, 80, 24},
    {Kind::Button, 108, u8"Zápis", 155, 291, 55, 24},
    {Kind::Label, 0, u8"Max", 20, 323, 35, 18},
    {Kind::Entry, 0, u8"", 65, 321, 80, 24},
    {Kind::Button, 109, u8"Zápis", 155, 321, 55, 24},
    {Kind::Group, 0, u8"Teplotní kompenzace", 230, 165, 160, 190},
    {Kind::Label, 0, u8"Čidlo", 240, 192, 60, 16},
    {Kind::List, 110, u8"", 240, 215, 140, 200},
    {Kind::Label, 0, u8"Tlumení", 240, 247, 60, 16},
    {Kind::List, 111, u8"", 240, 270, 80, 200},
    {Kind::Group, 0, u8"Interní hodnoty", 400, 165, 210, 190},
    {Kind::Label, 0, u8"Odpor [Ohm]", 410, 192, 90, 18},
    {Kind::Value, 0, u8"", 510, 190, 90, 20},
    {Kind::Label, 0, u8"Teplota [°C]", 410, 217, 90, 18},
    {Kind::Value, 0, u8"", 510, 215, 90, 20},
    {Kind::Label, 0, u8"Napětí [mV]", 410, 242, 90, 18},
    {Kind::Value, 0, u8"", 510, 240, 90, 20},
    {Kind::Label, 0, u8"Hodnota", 410, 267, 90, 18},
    {Kind::Value, 0, u8"", 510, 265, 90, 20},
    {Kind::Label, 0, u8"Ratio [%]", 410, 292, 90, 18},
    {Kind::Value, 0, u8"", 510, 290, 90, 20},
    {Kind::Check, 112, u8"Číst", 410, 325, 60, 20},
};
// clang-format on

struct Look {
    const char* ClassName;
    DWORD Style;
    DWORD ExStyle;
};

// Wine reads a combo box's style back without WS_VSCROLL and its extended style without
// WS_EX_CLIENTEDGE, so combo boxes are compared without both.
Look LookOf(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return {"Static", 0x50020000, 0};
        case Kind::Ports:
            return {"ComboBox", 0x50230103 & ~WS_VSCROLL, 0};
        case Kind::Value:
            return {"Static", 0x50020002, WS_EX_CLIENTEDGE};
        case Kind::Button:
            return {"Button", 0x50030000, 0};
        case Kind::Group:
            return {"Button", 0x50020007, 0};
        case Kind::List:
            return {"ComboBox", 0x50230003 & ~WS_VSCROLL, 0};
        case Kind::Entry:
            return {"Edit", 0x50030002, WS_EX_CLIENTEDGE};
        case Kind::Check:
            return {"Button", 0x50030003, 0};
    }
    return {"", 0, 0};
}

bool IsList(Kind kind) {
    return kind == Kind::Ports || kind == Kind::List;
}

// The rectangle a combo box was created with: its height is that of the list dropped down.
// Wine reports the dropped-down rectangle without the height of the closed part, so the two
// heights are added. Empty when the combo box does not answer.
RECT CreatedRect(const WindowInfo& combo) {
    RECT dropped = {};
    DWORD_PTR answered = 0;
    if (SendMessageTimeoutA(combo.Handle, CB_GETDROPPEDCONTROLRECT, 0,
                            reinterpret_cast<LPARAM>(&dropped), SMTO_NORMAL, driver::kAnswerWait,
                            &answered) == 0) {
        return {};
    }
    RECT rect = combo.Rect;
    rect.bottom += dropped.bottom - dropped.top;
    return rect;
}

std::vector<std::string> DampingTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i <= 30; ++i) {
        texts.push_back(std::to_string(i));
    }
    return texts;
}

class MainWindow : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SerialPortMap::Replace({"COM7"}));
        ASSERT_TRUE(Program.Start());
    }

    ConfigProgram Program;
};

TEST_F(MainWindow, IsAFixedSizeWindowTitledQx7Config) {
    const WindowInfo window = driver::Describe(Program.Window());
    EXPECT_EQ(window.Text, "QX7 config");
    EXPECT_EQ(window.Rect.right - window.Rect.left, 626);
    EXPECT_EQ(window.Rect.bottom - window.Rect.top, 394);
    EXPECT_EQ(window.Style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(window.Style & WS_SYSMENU, 0u);
    EXPECT_NE(window.Style & WS_MINIMIZEBOX, 0u);
    EXPECT_EQ(window.Style & WS_THICKFRAME, 0u) << "no sizing border";
    EXPECT_EQ(window.Style & WS_MAXIMIZEBOX, 0u) << "no maximise box";
    EXPECT_EQ(window.Style & WS_CHILD, 0u);
}

TEST_F(MainWindow, IsLightGreyBehindItsControls) {
    const COLORREF grey = RGB(0xC0, 0xC0, 0xC0);
    // Spots of the client area that no control covers, and one beside the text of a label.
    const RECT label = driver::Describe(Program.ChildAt(0)).Rect;
    const POINT spots[] = {{350, 60}, {300, 100}, {label.right - 2, label.bottom - 2}};
    for (const POINT& spot : spots) {
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return driver::WindowPixel(Program.Window(), spot.x, spot.y) == grey; }, 20000))
            << spot.x << "," << spot.y << " shows " << std::hex
            << driver::WindowPixel(Program.Window(), spot.x, spot.y);
    }
}

TEST_F(MainWindow, HoldsTheFortySixControlsInLayoutOrder) {
    const std::vector<WindowInfo> children = driver::Children(Program.Window());
    ASSERT_EQ(children.size(), std::size(kLayout));
    for (size_t i = 0; i < children.size(); ++i) {
        const Expected& expected = kLayout[i];
        const Look look = LookOf(expected.Type);
        const WindowInfo& child = children[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " \"" + expected.Text + "\"");
        EXPECT_EQ(lstrcmpiA(child.ClassName.c_str(), look.ClassName), 0) << child.ClassName;
        EXPECT_EQ(child.Id, expected.Id);
        if (!IsList(expected.Type)) {
            EXPECT_EQ(child.Text, Windows1250(expected.Text));
        }
        EXPECT_EQ(child.Style, look.Style) << std::hex << child.Style;
        if (!IsList(expected.Type)) {
            EXPECT_EQ(child.ExStyle, look.ExStyle) << std::hex << child.ExStyle;
        }
        const RECT rect = IsList(expected.Type) ? CreatedRect(child) : child.Rect;
        EXPECT_EQ(rect.left, expected.X);
        EXPECT_EQ(rect.top, expected.Y);
        EXPECT_EQ(rect.right - rect.left, expected.W);
        EXPECT_EQ(rect.bottom - rect.top, expected.H);
    }
}

TEST_F(MainWindow, StartsWithFilledListsAndNothingChosen) {
    HWND inputDamping = Program.Control(107);
    HWND sensor = Program.Control(110);
    HWND temperatureDamping = Program.Control(111);
    EXPECT_EQ(driver::ComboItems(inputDamping), DampingTexts());
    EXPECT_EQ(driver::ComboItems(temperatureDamping), DampingTexts());
    EXPECT_EQ(driver::ComboItems(sensor),
              (std::vector<std::string>{"Pt100 (3850)", "Pt1000 (3850)"}));
    for (int id : {101, 107, 110, 111}) {
        EXPECT_EQ(driver::ComboSelection(Program.Control(id)), CB_ERR) << "list " << id;
    }
    EXPECT_EQ(driver::CheckState(Program.Control(112)), BST_UNCHECKED);
    for (size_t i = 0; i < std::size(kLayout); ++i) {
        if (kLayout[i].Type == Kind::Value || kLayout[i].Type == Kind::Entry) {
            EXPECT_EQ(Program.TextAt(i), "") << "field #" << i + 1;
        }
    }
}

TEST_F(MainWindow, TabWalksTheControlsInLayoutOrder) {
    std::vector<HWND> tabStops;
    for (size_t i = 0; i < std::size(kLayout); ++i) {
        const DWORD style = LookOf(kLayout[i].Type).Style;
        if ((style & WS_TABSTOP) != 0) {
            tabStops.push_back(Program.ChildAt(i));
        }
    }
    ASSERT_EQ(tabStops.size(), 11u);
    // Once round the window and back to the first control.
    tabStops.push_back(tabStops.front());
    for (size_t i = 0; i < tabStops.size(); ++i) {
        HWND before = driver::FocusedWindow(Program.Window());
        driver::PressKey(Program.Window(), VK_TAB);
        HWND expected = tabStops[i];
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return driver::FocusedWindow(Program.Window()) == expected; }, 20000))
            << "tab stop " << i + 1 << " (focus was " << before << ", is "
            << driver::FocusedWindow(Program.Window()) << ")";
    }
}

TEST(PortList, ShowsTheRegistryPortsShortestFirstEachOnceWithNoneChosen) {
    ASSERT_TRUE(SerialPortMap::Replace({"COM10", "COM2", "COM1", "COM11", "COM7", "COM2"}));
    ConfigProgram program;
    ASSERT_TRUE(program.Start());
    HWND ports = program.Control(101);
    EXPECT_EQ(driver::ComboItems(ports),
              (std::vector<std::string>{"COM1", "COM2", "COM7", "COM10", "COM11"}));
    EXPECT_EQ(driver::ComboSelection(ports), CB_ERR);
}

}  // namespace
