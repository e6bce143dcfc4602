// Routing of commands and notifications, closing, the child list and the order of disposal.
#include "framework/window_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/application.h"
#include "tests/framework/test_windows.h"

namespace {

// An application whose main window is made by the test, with a child window and a button.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Main = new RecordingWindow(nullptr, "main");
        Child = new RecordingWindow(Main, "child");
        Button = new ButtonWindow(Main, 77, 10, 60);
        App.MainWindow = static_cast<Window*>(App.MakeWindow(Main));
        ASSERT_EQ(App.MainWindow, Main);
    }

    void TearDown() override {
        if (App.MainWindow != nullptr) {
            App.MainWindow->Free();
        }
        EXPECT_TRUE(DrainQueue()) << "closing the main window posts WM_QUIT";
    }

    Application App{"test"};
    RecordingWindow* Main = nullptr;
    RecordingWindow* Child = nullptr;
    ButtonWindow* Button = nullptr;
};

TEST_F(MainWindowTest, TheExitCommandAtTheMainWindowClosesIt) {
    HWND handle = Main->Handle;
    SendMessageA(handle, WM_COMMAND, ExitCommandId, 0);
    EXPECT_EQ(App.MainWindow, nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(MainWindowTest, TheExitCommandFromAChildClimbsToTheMainWindowAndClosesIt) {
    HWND handle = Main->Handle;
    SendMessageA(Child->Handle, WM_COMMAND, ExitCommandId, 0);
    EXPECT_EQ(App.MainWindow, nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(MainWindowTest, TheExitCommandLeavesTheMainWindowOpenWhileAChildRefusesToClose) {
    Child->MayClose = false;
    SendMessageA(Child->Handle, WM_COMMAND, ExitCommandId, 0);
    EXPECT_EQ(App.MainWindow, Main);
    Child->MayClose = true;
}

TEST_F(MainWindowTest, AnUnclaimedCommandEndsInTheTopObjectsDefaultWithTheReceiverUnchanged) {
    SendMessageA(Child->Handle, WM_COMMAND, 1234, 0);
    ASSERT_EQ(Main->DefaultCommandReceivers.size(), 1u);
    EXPECT_EQ(Main->DefaultCommandReceivers[0], Child->Handle);
    EXPECT_TRUE(Child->DefaultCommandReceivers.empty());
}

TEST_F(MainWindowTest, AClickOnAButtonObjectReachesTheParentByTheButtonsId) {
    SendMessageA(Main->Handle, WM_COMMAND, MAKEWPARAM(77, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(Button->Handle));
    ASSERT_EQ(Main->ChildNotifies, std::vector<UINT>{77});
    EXPECT_EQ(HIWORD(Main->NotifyWParams[0]), BN_DOUBLECLICKED) << "the code stays in the record";
}

TEST_F(MainWindowTest, ANotificationFromAControlWithoutAnObjectReachesTheParentByItsLowWord) {
    HWND plain = CreateWindowExA(0, "Button", "plain", WS_CHILD, 0, 0, 50, 20, Main->Handle,
                                 reinterpret_cast<HMENU>(88), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    SendMessageA(Main->Handle, WM_COMMAND, MAKEWPARAM(55, BN_CLICKED),
                 reinterpret_cast<LPARAM>(plain));
    EXPECT_EQ(Main->ChildNotifies, std::vector<UINT>{55});
}

TEST_F(MainWindowTest, ARealClickTakesTheSameRoute) {
    SendMessageA(Button->Handle, BM_CLICK, 0, 0);
    EXPECT_EQ(Main->ChildNotifies, std::vector<UINT>{77});
}

TEST_F(MainWindowTest, CloseIsRefusedWhileCanCloseSaysNoAndNothingIsDestroyed) {
    Main->MayClose = false;
    EXPECT_EQ(SendMessageA(Main->Handle, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(App.MainWindow, Main);
    EXPECT_TRUE(IsWindow(Main->Handle));
    EXPECT_TRUE(IsWindow(Child->Handle));
    Main->MayClose = true;
}

TEST_F(MainWindowTest, CloseOfAChildWindowDisposesOnlyTheChild) {
    HWND childHandle = Child->Handle;
    SendMessageA(childHandle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(childHandle));
    EXPECT_EQ(App.MainWindow, Main);
    EXPECT_EQ(Main->FirstThat([this](WindowObject* c) { return c == Button; }), Button);
    Child = nullptr;
}

TEST_F(MainWindowTest, QueryEndSessionAnswersWhetherTheApplicationMayClose) {
    EXPECT_EQ(SendMessageA(Main->Handle, WM_QUERYENDSESSION, 0, 0), 1);
    Child->MayClose = false;
    EXPECT_EQ(SendMessageA(Main->Handle, WM_QUERYENDSESSION, 0, 0), 0);
    Child->MayClose = true;
}

TEST_F(MainWindowTest, DeactivationClearsTheKeyboardHandlerOnlyForAKeyboardHandlerWindow) {
    App.KeyboardHandler = Child;
    SendMessageA(Main->Handle, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(App.KeyboardHandler, Child) << "without the flag nothing changes";

    Main->EnableKeyboardHandler();
    SendMessageA(Main->Handle, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(App.KeyboardHandler, nullptr) << "cleared although it named another window";
    SendMessageA(Main->Handle, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(App.KeyboardHandler, Main);
}

// The child list, on objects that never get a window.
class ChildListTest : public ::testing::Test {
  protected:
    void TearDown() override { Parent->Free(); }

    std::vector<WindowObject*> Children() {
        std::vector<WindowObject*> children;
        Parent->ForEach([&children](WindowObject* child) { children.push_back(child); });
        return children;
    }

    RecordingWindow* Parent = new RecordingWindow(nullptr);
};

TEST_F(ChildListTest, ChildrenAreVisitedInTheOrderTheyWereConstructed) {
    auto* a = new RecordingWindow(Parent);
    auto* b = new RecordingWindow(Parent);
    auto* c = new RecordingWindow(Parent);
    EXPECT_EQ(Children(), (std::vector<WindowObject*>{a, b, c}));
    EXPECT_EQ(Parent->LastChild, c);
    EXPECT_EQ(Parent->FirstThat([b](WindowObject* child) { return child == b; }), b);
    EXPECT_EQ(Parent->FirstThat([](WindowObject*) { return false; }), nullptr);
}

TEST_F(ChildListTest, RemovingAStrangerChangesNothing) {
    auto* a = new RecordingWindow(Parent);
    auto* b = new RecordingWindow(Parent);
    auto* stranger = new RecordingWindow(nullptr);
    auto* strangersChild = new RecordingWindow(stranger);

    Parent->RemoveChild(stranger);
    Parent->RemoveChild(strangersChild);
    Parent->RemoveChild(nullptr);
    EXPECT_EQ(Children(), (std::vector<WindowObject*>{a, b}));
    stranger->Free();
}

TEST_F(ChildListTest, RemovingTheOnlyChildEmptiesTheList) {
    auto* only = new RecordingWindow(Parent);
    Parent->RemoveChild(only);
    EXPECT_EQ(Parent->LastChild, nullptr);
    EXPECT_TRUE(Children().empty());
    only->Parent = nullptr;
    only->Free();
}

TEST_F(ChildListTest, RemovingTheLastChildMakesItsPredecessorTheLast) {
    auto* a = new RecordingWindow(Parent);
    auto* b = new RecordingWindow(Parent);
    auto* c = new RecordingWindow(Parent);
    Parent->RemoveChild(c);
    EXPECT_EQ(Parent->LastChild, b);
    EXPECT_EQ(Children(), (std::vector<WindowObject*>{a, b}));
    c->Parent = nullptr;
    c->Free();
}

TEST_F(ChildListTest, ForEachMayDisposeTheChildItIsGiven) {
    new RecordingWindow(Parent);
    new RecordingWindow(Parent);
    new RecordingWindow(Parent);
    Parent->ForEach([](WindowObject* child) { child->Free(); });
    EXPECT_EQ(Parent->LastChild, nullptr);
}

TEST(Disposal, AParentDisposesItsChildrenOldestFirstAndLeavesItsOwnParent) {
    std::vector<std::string> log;
    auto* root = new RecordingWindow(nullptr, "", &log, "root");
    auto* sibling = new RecordingWindow(root, "", &log, "sibling");
    auto* parent = new RecordingWindow(root, "", &log, "parent");
    new RecordingWindow(parent, "", &log, "first");
    auto* second = new RecordingWindow(parent, "", &log, "second");
    new RecordingWindow(second, "", &log, "grandchild");
    new RecordingWindow(parent, "", &log, "third");

    parent->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"parent", "first", "second", "grandchild", "third"}));
    EXPECT_EQ(root->LastChild, sibling);
    EXPECT_EQ(sibling->NextSibling, sibling);
    root->Free();
}

TEST(Disposal, DisposingAParentWithWindowsDestroysEveryWindowOnce) {
    auto* parent = new RecordingWindow(nullptr, "parent");
    auto* child = new RecordingWindow(parent, "child");
    auto* button = new ButtonWindow(child, 5);
    ASSERT_TRUE(parent->Create());
    HWND handles[] = {parent->Handle, child->Handle, button->Handle};
    parent->Free();
    for (HWND handle : handles) {
        EXPECT_FALSE(IsWindow(handle));
    }
}

TEST(TransferData, WithoutABufferNoChildIsAsked) {
    auto* parent = new RecordingWindow(nullptr);
    auto* child = new RecordingWindow(parent);
    child->EnableTransfer();
    parent->TransferData(TransferGet);
    EXPECT_TRUE(child->Transfers.empty());
    parent->Free();
}

TEST(TransferData, TheCursorAdvancesOnlyOverChildrenThatTakePart) {
    char record[16] = {};
    auto* parent = new RecordingWindow(nullptr);
    auto* first = new RecordingWindow(parent);
    auto* skipped = new RecordingWindow(parent);
    auto* last = new RecordingWindow(parent);
    first->EnableTransfer();
    last->EnableTransfer();
    first->TransferBytes = 4;
    skipped->TransferBytes = 100;
    parent->TransferBuffer = record;

    parent->TransferData(TransferSet);
    EXPECT_EQ(first->Transfers, std::vector<void*>{record});
    EXPECT_TRUE(skipped->Transfers.empty());
    EXPECT_EQ(last->Transfers, std::vector<void*>{record + 4});
    EXPECT_EQ(last->TransferDirections, std::vector<int>{TransferSet});
    parent->Free();
}

}  // namespace
