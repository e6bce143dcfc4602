// Start-up of the framework for the whole test binary, and the leak check at its end: every
// window made by the tests is gone, every thunk is back on the free list and no GDI object
// is left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "framework/dialog.h"
#include "framework/program.h"
#include "framework/thunk_page.h"
#include "tests/framework/test_dialog_ids.h"
#include "tests/framework/test_windows.h"

namespace {

class FrameworkEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        StartFramework();
        WarmUp();
        WindowsAtStart = CountThreadWindows();
        ThunksAtStart = LiveThunkCount();
        GdiObjectsAtStart = CountGdiObjects();
        // The count must see objects come and go, or it proves nothing.
        HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
        GdiCountWorks = GdiObjectsAtStart >= 0 && CountGdiObjects() == GdiObjectsAtStart + 1;
        DeleteObject(probe);
    }

    void TearDown() override {
        DrainQueue();
        EXPECT_EQ(CountThreadWindows(), WindowsAtStart) << "windows left behind by the tests";
        EXPECT_EQ(LiveThunkCount(), ThunksAtStart) << "thunks of objects never disposed";
        if (GdiCountWorks) {
            EXPECT_EQ(CountGdiObjects(), GdiObjectsAtStart) << "GDI objects left behind";
        } else {
            std::printf("GDI objects not counted: no handle table in this process\n");
        }
    }

  private:
    // The system fills its caches of icons, fonts, regions and device contexts the first time
    // a window is painted or moved and a dialog is shown, and keeps them. A window and a dialog
    // like the tests' ones fill them before the count starts, so only what the tests leave behind
    // counts.
    static void WarmUp() {
        auto* window = new RecordingWindow(nullptr, "warm-up");
        window->Style |= WS_VISIBLE;
        window->X = 100;
        window->Y = 100;
        window->W = 300;
        window->H = 200;
        auto* button = new ButtonWindow(window, 1);
        window->Create();
        SetWindowPos(button->Handle, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetWindowTextA(button->Handle, "warm-up");
        RedrawWindow(window->Handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto* dialog = new Dialog(window, TEST_DIALOG_FULL);
        dialog->Create();
        ShowWindow(dialog->Handle, SW_SHOWNORMAL);
        RedrawWindow(dialog->Handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HWND label = GetDlgItem(dialog->Handle, TEST_ITEM_LABEL);
        ReleaseDC(label, GetDC(label));
        window->Free();
        DrainQueue();
    }

    int WindowsAtStart = 0;
    std::size_t ThunksAtStart = 0;
    int GdiObjectsAtStart = 0;
    bool GdiCountWorks = false;
};

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

}  // namespace
