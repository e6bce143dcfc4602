// The binding of windows to objects: the "AppObjectPtr" question and the hand-over of a new
// framework window to the object that creates it.
#include "framework/window_procedure.h"

#include <gtest/gtest.h>

#include "framework/window.h"
#include "tests/framework/test_windows.h"

namespace {

TEST(ObjectPtrMessage, IsRegisteredAtStartUp) {
    EXPECT_GE(ObjectPtrMessage, 0xC000u);
}

TEST(ObjectPtrMessage, AFrameworkWindowAnswersWithItsObjectAndRunsNoHandler) {
    auto* window = new RecordingWindow(nullptr, "owner");
    ASSERT_TRUE(window->Create());
    const int handledBefore = window->HandledMessages;

    EXPECT_EQ(SendMessageA(window->Handle, ObjectPtrMessage, 0, 0),
              reinterpret_cast<LRESULT>(static_cast<WindowObject*>(window)));
    EXPECT_EQ(window->HandledMessages, handledBefore);
    EXPECT_EQ(ObjectFromHandle(window->Handle), window);
    window->Free();
}

TEST(ObjectPtrMessage, ASubclassedControlAnswersWithItsObject) {
    auto* parent = new RecordingWindow(nullptr, "parent");
    auto* button = new ButtonWindow(parent, 7);
    ASSERT_TRUE(parent->Create());
    ASSERT_NE(button->Handle, nullptr);
    const int handledBefore = button->HandledMessages;

    EXPECT_EQ(ObjectFromHandle(button->Handle), button);
    EXPECT_EQ(button->HandledMessages, handledBefore);
    parent->Free();
}

TEST(ObjectPtrMessage, AControlWithoutAnObjectAnswersNone) {
    auto* parent = new RecordingWindow(nullptr, "parent");
    ASSERT_TRUE(parent->Create());
    HWND plain = CreateWindowExA(0, "Button", "plain", WS_CHILD, 0, 0, 50, 20, parent->Handle,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);

    EXPECT_EQ(ObjectFromHandle(plain), nullptr);
    EXPECT_EQ(ObjectFromHandle(nullptr), nullptr);
    parent->Free();
    EXPECT_FALSE(IsWindow(plain)) << "destroyed with its parent";
}

TEST(InitialWindowProc, AFrameworkWindowMadeWhileNoObjectIsCreatingStaysWithTheDefault) {
    auto* registrar = new RecordingWindow(nullptr, "registrar");
    ASSERT_TRUE(registrar->Register());
    registrar->Free();
    ASSERT_EQ(CreatingObject, nullptr);

    HWND stray = CreateWindowExA(0, "AppWindow", "stray", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stray, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(stray, GWLP_WNDPROC)), InitialWindowProc);
    EXPECT_EQ(ObjectFromHandle(stray), nullptr);
    EXPECT_TRUE(DestroyWindow(stray));
}

TEST(InitialWindowProc, ANewWindowIsBoundAtItsFirstMessageAndCreatesItsChildrenInWmCreate) {
    auto* window = new RecordingWindow(nullptr, "bound");
    auto* child = new RecordingWindow(window, "child");
    ASSERT_TRUE(window->Create());

    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window->Handle, GWLP_WNDPROC)),
              window->Thunk);
    EXPECT_EQ(window->DefaultProc, DefWindowProcA) << "a framework window is not subclassed";
    EXPECT_EQ(window->SetupCount, 1);
    EXPECT_EQ(child->SetupCount, 1);
    EXPECT_EQ(GetParent(child->Handle), window->Handle);
    EXPECT_EQ(CreatingObject, nullptr);
    window->Free();
}

}  // namespace
