// The application object: bringing up the main window and the message loop.
#include "framework/application.h"

#include <gtest/gtest.h>

#include "framework/window_object.h"
#include "tests/framework/test_windows.h"

namespace {

class FailingWindow : public RecordingWindow {
  public:
    FailingWindow() : RecordingWindow(nullptr, "failing") {}
    bool Create() override { return false; }
};

class FailingApplication : public Application {
  public:
    using Application::Application;
    void InitMainWindow() override { MainWindow = new FailingWindow; }
};

TEST(Application, AMainWindowThatCannotBeCreatedIsDisposedAndRunReturnsAtOnce) {
    const std::size_t windows = CountThreadWindows();
    FailingApplication app("failing");
    app.InitInstance();
    EXPECT_EQ(app.MainWindow, nullptr);
    app.Run();
    EXPECT_FALSE(app.QuitReceived) << "the loop never ran";
    EXPECT_EQ(static_cast<std::size_t>(CountThreadWindows()), windows);
}

TEST(Application, TheDefaultMainWindowIsShownWithTheApplicationsName) {
    Application app("QX7 test");
    app.InitInstance();
    ASSERT_NE(app.MainWindow, nullptr);
    EXPECT_TRUE(IsWindowVisible(app.MainWindow->Handle));
    char title[32] = {};
    GetWindowTextA(app.MainWindow->Handle, title, sizeof title);
    EXPECT_STREQ(title, "QX7 test");
    app.MainWindow->Free();
    EXPECT_EQ(app.MainWindow, nullptr);
    EXPECT_TRUE(DrainQueue());
}

class RecordingApplication : public Application {
  public:
    using Application::Application;
    void InitMainWindow() override { MainWindow = Main = new RecordingWindow(nullptr, "main"); }
    bool IdleAction() override {
        ++IdleCalls;
        if (IdleCalls == PollsBeforeQuit) {
            PostQuitMessage(0);
        }
        return PollsBeforeQuit != 0;
    }

    RecordingWindow* Main = nullptr;
    int IdleCalls = 0;
    int PollsBeforeQuit = 0;
};

TEST(MessageLoop, WmQuitEndsTheLoopAfterThePassThatTookIt) {
    RecordingApplication app("loop");
    app.InitInstance();
    DrainQueue();
    PostMessageA(app.Main->Handle, WM_USER + 1, 0, 0);
    PostQuitMessage(0);

    app.Run();
    EXPECT_TRUE(app.QuitReceived);
    EXPECT_EQ(app.Main->UserMessages, std::vector<UINT>{WM_USER + 1});
    app.Main->Free();
    DrainQueue();
}

TEST(MessageLoop, AnIdleActionThatReportsWorkKeepsTheLoopPolling) {
    RecordingApplication app("idle");
    app.PollsBeforeQuit = 5;
    app.InitInstance();
    DrainQueue();

    // With an empty queue and no polling the loop would wait for ever.
    app.Run();
    EXPECT_EQ(app.IdleCalls, 5);
    app.Main->Free();
    DrainQueue();
}

TEST(MessageLoop, ClosingTheMainWindowEndsTheRun) {
    RecordingApplication app("close");
    app.InitInstance();
    PostMessageA(app.Main->Handle, WM_CLOSE, 0, 0);
    app.Run();
    EXPECT_TRUE(app.QuitReceived);
    EXPECT_EQ(app.MainWindow, nullptr);
}

// IsDialogMessageA dispatches what it takes itself, so the loop must not dispatch it again.
TEST(MessageLoop, AMessageTakenByTheKeyboardHandlerIsDispatchedOnce) {
    RecordingApplication app("keys");
    app.InitInstance();
    auto* main = app.Main;
    DrainQueue();
    app.KeyboardHandler = main;
    PostMessageA(main->Handle, WM_USER + 3, 0, 0);
    MSG message{};
    EXPECT_TRUE(app.ProcessMessage(message));
    EXPECT_EQ(main->UserMessages, std::vector<UINT>{WM_USER + 3});

    MSG direct{main->Handle, WM_USER + 4, 0, 0, 0, {0, 0}};
    EXPECT_TRUE(app.ProcessAppMessage(direct));
    app.KeyboardHandler = nullptr;
    EXPECT_FALSE(app.ProcessAppMessage(direct)) << "without a handler the loop dispatches";
    EXPECT_EQ(main->UserMessages, (std::vector<UINT>{WM_USER + 3, WM_USER + 4}));
    main->Free();
    DrainQueue();
}

}  // namespace
