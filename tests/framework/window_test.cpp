// Windows: the class registered once, subclassed controls, placement, painting and the focus.
#include "framework/window.h"

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/window_procedure.h"
#include "tests/framework/test_windows.h"

namespace {

// A window of its own class that counts how often it is asked for the class attributes.
class ClassCountingWindow : public RecordingWindow {
  public:
    ClassCountingWindow() : RecordingWindow(nullptr, "counted") {}
    const char* GetClassName() override { return "Qx7TestCountedClass"; }
    void GetWindowClass(WNDCLASSA& windowClass) override {
        ++ClassRequests;
        RecordingWindow::GetWindowClass(windowClass);
        // Without an icon: a class keeps a copy of its icon for the rest of the process, which
        // the leak count at the end would take for a leak.
        windowClass.hIcon = nullptr;
    }
    static int ClassRequests;
};
int ClassCountingWindow::ClassRequests = 0;

TEST(WindowClass, OnlyTheFirstWindowOfAClassNameRegistersIt) {
    auto* first = new ClassCountingWindow;
    auto* second = new ClassCountingWindow;
    ASSERT_TRUE(first->Create());
    ASSERT_TRUE(second->Create());
    EXPECT_EQ(ClassCountingWindow::ClassRequests, 1);

    WNDCLASSA registered{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "Qx7TestCountedClass", &registered));
    EXPECT_EQ(registered.lpfnWndProc, InitialWindowProc);
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW));
    first->Free();
    second->Free();
}

TEST(WindowCreation, AWindowWithAnEmptyTitleHasNoText) {
    auto* window = new RecordingWindow(nullptr, "");
    EXPECT_EQ(window->Title, nullptr);
    EXPECT_EQ(window->Style, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(window->Create());
    EXPECT_EQ(GetWindowTextLengthA(window->Handle), 0);
    window->Free();
}

TEST(WindowCreation, AControlIsSubclassedAfterCreationAndPlacedInItsParentsClientArea) {
    auto* parent = new RecordingWindow(nullptr, "parent");
    parent->Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    parent->X = 100;
    parent->Y = 100;
    parent->W = 300;
    parent->H = 200;
    auto* button = new ButtonWindow(parent, 9, 12, 34);
    button->X = 0;  // placement must come from the window, not the request
    button->Y = 0;
    ASSERT_TRUE(parent->Create());
    HWND handle = button->Handle;
    ASSERT_NE(handle, nullptr);

    WNDCLASSA buttonClass{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "Button", &buttonClass));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle, GWLP_WNDPROC)), button->Thunk);
    EXPECT_NE(button->DefaultProc, nullptr);
    EXPECT_NE(button->DefaultProc, DefWindowProcA) << "the button class keeps its own procedure";
    EXPECT_EQ(button->SetupCount, 1);
    EXPECT_EQ(button->X, 0);
    EXPECT_EQ(button->Y, 0);
    EXPECT_EQ(button->W, 80);
    EXPECT_EQ(button->H, 24);

    SetWindowPos(handle, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(button->X, 20) << "WM_MOVE keeps the placement in client coordinates";
    EXPECT_EQ(button->Y, 30);
    SetWindowTextA(handle, "still a button");
    char text[32] = {};
    GetWindowTextA(handle, text, sizeof text);
    EXPECT_STREQ(text, "still a button");
    parent->Free();
}

// A child of a class that does not exist: CreateWindowExA fails.
class UnknownClassWindow : public RecordingWindow {
  public:
    using RecordingWindow::RecordingWindow;
    const char* GetClassName() override { return "Qx7NoSuchClass"; }
    bool Register() override { return true; }
};

TEST(WindowCreation, WithoutTheRegisteredMessageAFrameworkWindowIsSetUpOnceAndNotSubclassed) {
    // As when the message could not be registered: no window then names its object.
    const UINT registered = ObjectPtrMessage;
    ObjectPtrMessage = 0;
    auto* window = new RecordingWindow(nullptr, "unnamed");
    const bool created = window->Create();
    const WNDPROC defaultProc = window->DefaultProc;
    // Default processing that reached the thunk again would recurse until the stack ends.
    const bool titled =
        SendMessageA(window->Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed")) != 0;
    ObjectPtrMessage = registered;
    ASSERT_TRUE(created);
    EXPECT_EQ(window->SetupCount, 1);
    EXPECT_EQ(defaultProc, DefWindowProcA);
    EXPECT_TRUE(titled);
    window->Free();
}

TEST(WindowCreation, AFailedChildStopsTheCreationOfItsLaterSiblings) {
    auto* parent = new RecordingWindow(nullptr, "parent");
    auto* first = new ButtonWindow(parent, 1);
    auto* failing = new UnknownClassWindow(parent, "failing");
    auto* later = new ButtonWindow(parent, 3);

    EXPECT_TRUE(parent->Create()) << "the parent's window stays";
    EXPECT_NE(first->Handle, nullptr);
    EXPECT_EQ(failing->Handle, nullptr);
    EXPECT_EQ(later->Handle, nullptr);
    EXPECT_EQ(later->SetupCount, 0);
    parent->Free();
}

class PlacementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Window->X = 50;
        Window->Y = 60;
        Window->W = 320;
        Window->H = 240;
        ASSERT_TRUE(Window->Create());
    }
    void TearDown() override { Window->Free(); }

    RecordingWindow* Window = new RecordingWindow(nullptr, "placed");
};

TEST_F(PlacementTest, CreationLeavesTheRequestedRectangle) {
    EXPECT_EQ(Window->X, 50);
    EXPECT_EQ(Window->Y, 60);
    EXPECT_EQ(Window->W, 320);
    EXPECT_EQ(Window->H, 240);
}

TEST_F(PlacementTest, SizeMessagesForMinimisedOrMaximisedWindowsLeaveTheSize) {
    Window->W = -1;
    Window->H = -1;
    SendMessageA(Window->Handle, WM_SIZE, SIZE_MINIMIZED, 0);
    SendMessageA(Window->Handle, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1280, 1024));
    EXPECT_EQ(Window->W, -1);
    EXPECT_EQ(Window->H, -1);
    SendMessageA(Window->Handle, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_EQ(Window->W, 320);
    EXPECT_EQ(Window->H, 240);
}

TEST_F(PlacementTest, MovingAMinimisedWindowLeavesItsPlacement) {
    ShowWindow(Window->Handle, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(Window->Handle));
    EXPECT_EQ(Window->X, 50);
    EXPECT_EQ(Window->W, 320);
    ShowWindow(Window->Handle, SW_RESTORE);
    EXPECT_EQ(Window->X, 50);
    EXPECT_EQ(Window->W, 320);
}

// A window that draws nothing still validates what it was asked to paint.
TEST_F(PlacementTest, PaintReturnsOneAndValidatesTheUpdateRegion) {
    ShowWindow(Window->Handle, SW_SHOWNORMAL);
    InvalidateRect(Window->Handle, nullptr, FALSE);
    EXPECT_EQ(SendMessageA(Window->Handle, WM_PAINT, 0, 0), 1);
    EXPECT_FALSE(GetUpdateRect(Window->Handle, nullptr, FALSE));
}

// A second top-level window takes the activation away from the main window and gives it back.
class FocusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Main->Style |= WS_VISIBLE;
        Main->EnableKeyboardHandler();
        ASSERT_TRUE(Main->Create());
        ASSERT_TRUE(Other->Create());
        Other->Show(SW_SHOWNORMAL);
        SetActiveWindow(Main->Handle);
        ASSERT_EQ(GetActiveWindow(), Main->Handle);
    }
    void TearDown() override {
        Other->Free();
        Main->Free();
        DrainQueue();
    }

    RecordingWindow* Main = new RecordingWindow(nullptr, "main");
    ButtonWindow* First = new ButtonWindow(Main, 1, 10, 10);
    ButtonWindow* Second = new ButtonWindow(Main, 2, 10, 50);
    RecordingWindow* Other = new RecordingWindow(nullptr, "other");
};

TEST_F(FocusTest, TheChildThatHadTheFocusGetsItBackWithTheActivation) {
    SetFocus(Second->Handle);
    SetActiveWindow(Other->Handle);
    ASSERT_EQ(GetActiveWindow(), Other->Handle);
    EXPECT_EQ(Main->SavedFocus, Second->Handle);

    SetActiveWindow(Main->Handle);
    EXPECT_EQ(GetFocus(), Second->Handle);
}

TEST_F(FocusTest, DeactivationWithTheFocusOutsideTheChildrenKeepsTheSavedFocus) {
    Main->SavedFocus = First->Handle;
    SetFocus(Main->Handle);
    SetActiveWindow(Other->Handle);
    EXPECT_EQ(Main->SavedFocus, First->Handle);
}

TEST_F(FocusTest, ASavedFocusWhoseWindowIsGoneIsIgnored) {
    SetFocus(Second->Handle);
    SetActiveWindow(Other->Handle);
    Second->Free();
    SetActiveWindow(Main->Handle);
    EXPECT_EQ(GetActiveWindow(), Main->Handle);
    EXPECT_NE(GetFocus(), Main->SavedFocus);
}

}  // namespace
