// The driver acts on a real window program (the stand-in) as the end-to-end tests will act
// on the configuration tool: it starts it, reads its windows and plays the user.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/driver/program_process.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"

namespace {

constexpr DWORD kStartWait = 20000;
constexpr COLORREF kRed = RGB(255, 0, 0);

std::string StandInPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path);
    directory.erase(directory.find_last_of('\\') + 1);
    return directory + "stand_in_window.exe";
}

class StandIn : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Program.Start("\"" + StandInPath() + "\" 7", {"STAND_IN_TITLE=Pokusné okno"}));
        Window = driver::FindTopLevelWindow(Program.Id(), "Pokusné okno", kStartWait);
        ASSERT_NE(Window, nullptr) << "the title comes from the environment given at start";
        Value = driver::ChildWithId(Window, 204);
        ASSERT_NE(Value, nullptr);
    }

    bool ValueShows(const std::string& text) {
        return driver::WaitUntil([&] { return driver::TextOf(Value) == text; }, 20000);
    }

    ProgramProcess Program;
    HWND Window = nullptr;
    HWND Value = nullptr;
};

TEST_F(StandIn, ListsTheWindowAndItsChildrenInCreationOrder) {
    const WindowInfo main = driver::Describe(Window);
    EXPECT_EQ(main.Style & 0x00CF0000u, 0x00CA0000u);
    EXPECT_EQ(main.Rect.right - main.Rect.left, 300);
    EXPECT_EQ(main.Rect.bottom - main.Rect.top, 200);
    EXPECT_EQ(main.ClassName, "StandInWindow");

    struct Expected {
        const char* ClassName;
        int Id;
        const char* Text;
        RECT Rect;
    };
    const std::vector<Expected> expected = {
        {"ComboBox", 201, "", {10, 10, 130, 0}},
        {"Button", 202, "Show", {140, 10, 200, 34}},
        {"Edit", 203, "", {10, 45, 130, 69}},
        {"Static", 204, "", {10, 80, 190, 104}},
        {"Button", 205, "Číst", {10, 115, 100, 135}},
        {"Button", 206, "Message", {110, 115, 190, 139}},
    };
    const std::vector<WindowInfo> children = driver::Children(Window);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(children[i].ClassName, expected[i].ClassName);
        EXPECT_EQ(children[i].Id, expected[i].Id);
        EXPECT_EQ(children[i].Text, expected[i].Text);
        EXPECT_EQ(children[i].Rect.left, expected[i].Rect.left);
        EXPECT_EQ(children[i].Rect.top, expected[i].Rect.top);
        EXPECT_EQ(children[i].Rect.right, expected[i].Rect.right);
        if (expected[i].Rect.bottom != 0) {
            EXPECT_EQ(children[i].Rect.bottom, expected[i].Rect.bottom);
        }
        EXPECT_NE(children[i].Style & WS_CHILD, 0u);
    }
    EXPECT_EQ(children[3].Style & (SS_TYPEMASK | WS_BORDER),
              static_cast<DWORD>(SS_RIGHT | WS_BORDER));
    EXPECT_EQ(children[4].Style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
}

TEST_F(StandIn, ChoosingAComboItemSelectsItAndNotifiesTheParent) {
    HWND combo = driver::ChildWithId(Window, 201);
    EXPECT_EQ(driver::ComboItems(combo),
              (std::vector<std::string>{"alpha", "beta", "gamma", "Čidlo"}));
    EXPECT_EQ(driver::ComboSelection(combo), CB_ERR);

    EXPECT_EQ(driver::ChooseComboItem(combo, 1), Delivery::Handled);
    EXPECT_EQ(driver::ComboSelection(combo), 1);
    EXPECT_EQ(driver::TextOf(Value), "chose beta");

    EXPECT_EQ(driver::ChooseComboText(combo, "gamma"), Delivery::Handled);
    EXPECT_EQ(driver::TextOf(Value), "chose gamma");
    EXPECT_EQ(driver::ChooseComboText(combo, "Čidlo"), Delivery::Handled);
    EXPECT_EQ(driver::TextOf(Value), "chose Čidlo");
    EXPECT_EQ(driver::ChooseComboText(combo, "delta"), Delivery::Failed);
}

TEST_F(StandIn, TypedAndReplacedTextReachesTheProgramAsEightBitBytes) {
    HWND edit = driver::ChildWithId(Window, 203);
    HWND show = driver::ChildWithId(Window, 202);
    EXPECT_EQ(driver::TypeText(edit, "2,5 č"), Delivery::Handled);
    EXPECT_EQ(driver::Click(show), Delivery::Handled);
    EXPECT_EQ(driver::TextOf(Value), "2,5 č");

    EXPECT_EQ(driver::ReplaceText(edit, "abc"), Delivery::Handled);
    EXPECT_EQ(driver::Click(show), Delivery::Handled);
    EXPECT_EQ(driver::TextOf(Value), "abc");
}

TEST_F(StandIn, TabMovesTheFocusThroughTheTabStopsInOrder) {
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return driver::FocusedWindow(Window) == driver::ChildWithId(Window, 201); }, 20000));
    for (int id : {202, 203, 205, 206, 201}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(driver::PressKey(Window, VK_TAB), Delivery::Pending);
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return driver::FocusedWindow(Window) == driver::ChildWithId(Window, id); },
            20000));
    }
}

TEST_F(StandIn, ACheckBoxClickTurnsTheValueFieldRedOnScreen) {
    HWND check = driver::ChildWithId(Window, 205);
    const RECT client = driver::ClientRect(Value);
    const int y = client.bottom / 2;
    // Left of the right-aligned text, where only the background shows.
    auto pixel = [&] { return driver::WindowPixel(Value, 3, y); };
    ASSERT_NE(pixel(), CLR_INVALID) << "the screen can be read";
    EXPECT_NE(pixel(), kRed);

    EXPECT_EQ(driver::Click(check), Delivery::Handled);
    EXPECT_EQ(driver::CheckState(check), BST_CHECKED);
    EXPECT_TRUE(driver::WaitUntil([&] { return pixel() == kRed; }, 20000));

    EXPECT_EQ(driver::Click(check), Delivery::Handled);
    EXPECT_EQ(driver::CheckState(check), BST_UNCHECKED);
    EXPECT_TRUE(driver::WaitUntil([&] { return pixel() != kRed; }, 20000));
}

TEST_F(StandIn, AMessageBoxIsFoundReadAndClosed) {
    MessageBoxInfo box;
    EXPECT_FALSE(driver::FindMessageBox(Program.Id(), 0, box));
    // The handler runs until the box is closed, so the click must not wait for it.
    EXPECT_EQ(driver::Click(driver::ChildWithId(Window, 206), 0), Delivery::Pending);
    ASSERT_TRUE(driver::FindMessageBox(Program.Id(), 5000, box));
    EXPECT_EQ(box.Caption, "Titulek");
    EXPECT_EQ(box.Text, "Zpráva č. 1");

    EXPECT_EQ(driver::CloseMessageBox(box), Delivery::Pending);
    EXPECT_TRUE(ValueShows("message closed"));
    EXPECT_FALSE(IsWindow(box.Handle));
}

TEST_F(StandIn, ClosingTheWindowEndsTheProgramWithItsExitCode) {
    EXPECT_EQ(driver::CloseWindow(Window), Delivery::Pending);
    DWORD code = 0;
    ASSERT_TRUE(Program.WaitForExit(10000, code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(Program.IsRunning());
}

}  // namespace
