// Dialogs run from the test templates: how they end, what they transfer, how they look, and
// the controls attached to their items.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/tool_dialog.h"
#include "framework/window_procedure.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/framework/test_dialog_ids.h"
#include "tests/framework/test_windows.h"

namespace {

using PlainDialog = ScriptedDialog<Dialog>;
using GreyDialog = ScriptedDialog<ToolDialog>;

// Dialogs run modally over a visible main window, as the tool runs them.
class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Main->Style |= WS_VISIBLE;
        App.MainWindow = static_cast<Window*>(App.MakeWindow(Main));
        ASSERT_EQ(App.MainWindow, Main);
    }
    void TearDown() override {
        if (App.MainWindow != nullptr) {
            App.MainWindow->Free();
        }
        DrainQueue();
    }

    bool IsChildOfMain(WindowObject* object) {
        return Main->FirstThat([object](WindowObject* child) { return child == object; }) !=
               nullptr;
    }

    Application App{"dialogs"};
    RecordingWindow* Main = new RecordingWindow(nullptr, "main");
    bool Disposed = false;
};

TEST_F(DialogTest, OkEndsTheDialogWithOneAndTheDialogIsDisposed) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL, &Disposed);
    dialog->Then([this](PlainDialog& d) {
        EXPECT_TRUE(IsChildOfMain(&d)) << "a running dialog is one of the main window's children";
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
    EXPECT_TRUE(Disposed);
    EXPECT_EQ(Main->LastChild, nullptr);
}

TEST_F(DialogTest, TheCloseBoxEndsTheDialogWithTwoAndTheDialogIsDisposed) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL, &Disposed);
    dialog->Then([](PlainDialog& d) { SendMessageA(d.Handle, WM_CLOSE, 0, 0); });
    EXPECT_EQ(App.ExecDialog(dialog), IDCANCEL);
    EXPECT_TRUE(Disposed);
    EXPECT_EQ(Main->LastChild, nullptr);
}

TEST_F(DialogTest, OkWhileCanCloseSaysNoKeepsTheDialogOpenAndTransfersNothing) {
    char record[16] = "initial";
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL);
    auto* edit = new EditField(dialog, InitResource, TEST_ITEM_EDIT, sizeof record);
    dialog->TransferBuffer = record;
    dialog->MayClose = false;
    bool stillOpen = false;
    dialog
        ->Then([edit](PlainDialog& d) {
            char shown[16] = {};
            edit->GetText(shown, sizeof shown);
            EXPECT_STREQ(shown, "initial") << "the record is shown when the dialog opens";
            edit->SetText("typed");
            d.Click(IDOK);
        })
        .Then([&record, &stillOpen](PlainDialog& d) {
            stillOpen = true;
            EXPECT_STREQ(record, "initial");
            d.MayClose = true;
            d.Click(IDOK);
        });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
    EXPECT_TRUE(stillOpen) << "the refused OK did not end the dialog";
    EXPECT_STREQ(record, "typed") << "OK transfers once the dialog may close";
}

TEST_F(DialogTest, CancelEndsTheDialogEvenWhenCanCloseSaysNo) {
    char record[16] = "kept";
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL, &Disposed);
    auto* edit = new EditField(dialog, InitResource, TEST_ITEM_EDIT, sizeof record);
    dialog->TransferBuffer = record;
    dialog->MayClose = false;
    dialog->Then([edit](PlainDialog& d) {
        edit->SetText("discarded");
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDCANCEL);
    EXPECT_TRUE(Disposed);
    EXPECT_STREQ(record, "kept");
}

TEST_F(DialogTest, CommandTwoWithoutAControlEndsAToolDialog) {
    auto* dialog = new GreyDialog(Main, TEST_DIALOG_OK_ONLY, &Disposed);
    dialog->Then([](GreyDialog& d) { SendMessageA(d.Handle, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(App.ExecDialog(dialog), IDCANCEL);
    EXPECT_TRUE(Disposed);
}

TEST_F(DialogTest, CommandTwoWithoutAControlClimbsPastAPlainDialog) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_OK_ONLY);
    HWND dialogHandle = nullptr;
    bool stillOpen = false;
    dialog
        ->Then([&dialogHandle](PlainDialog& d) {
            dialogHandle = d.Handle;
            SendMessageA(d.Handle, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&stillOpen](PlainDialog& d) {
            stillOpen = true;
            d.Click(IDOK);
        });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
    EXPECT_TRUE(stillOpen) << "the command did not end the dialog";
    EXPECT_EQ(Main->DefaultCommandReceivers, std::vector<HWND>{dialogHandle})
        << "the main window's default processing got it, for the dialog's window";
}

TEST_F(DialogTest, AControlWithAMissingItemStopsTheLaterControlsButTheDialogOpens) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL);
    auto* label = new StaticText(dialog, InitResource, TEST_ITEM_LABEL, 0);
    auto* missing = new StaticText(dialog, InitResource, TEST_ITEM_MISSING, 0);
    auto* check = new CheckBox(dialog, InitResource, TEST_ITEM_CHECK);
    bool opened = false;
    dialog->Then([&](PlainDialog& d) {
        opened = true;
        EXPECT_NE(label->Handle, nullptr);
        EXPECT_EQ(missing->Handle, nullptr);
        EXPECT_EQ(check->Handle, nullptr);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDCANCEL);
    EXPECT_TRUE(opened);
}

TEST_F(DialogTest, AttachedControlsAreSubclassedItemsThatAnswerWithTheirObjects) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL);
    auto* check = new CheckBox(dialog, InitResource, TEST_ITEM_CHECK);
    auto* label = new StaticText(dialog, InitResource, TEST_ITEM_LABEL, 20);
    dialog->Then([&](PlainDialog& d) {
        EXPECT_EQ(check->Handle, GetDlgItem(d.Handle, TEST_ITEM_CHECK));
        EXPECT_EQ(ObjectFromHandle(check->Handle), check);
        EXPECT_FALSE(check->IsFlagSet(FlagTransfer)) << "a check box attaches as a plain window";
        EXPECT_TRUE(label->IsFlagSet(FlagTransfer | FlagFromResource));
        EXPECT_EQ(label->Transfer(nullptr, TransferSize), 20);

        EXPECT_EQ(check->GetCheck(), 0);
        d.Click(TEST_ITEM_CHECK);
        EXPECT_EQ(check->GetCheck(), 1) << "the auto check box toggles by itself";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDCANCEL);
}

TEST_F(DialogTest, TheDialogProcedureAnswersTheObjectQueryAndTheEndSessionQueryInverted) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_OK_ONLY);
    dialog->Then([](PlainDialog& d) {
        auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(d.Handle, DWLP_DLGPROC));
        EXPECT_EQ(procedure(d.Handle, ObjectPtrMessage, 0, 0),
                  reinterpret_cast<INT_PTR>(static_cast<WindowObject*>(&d)));
        EXPECT_EQ(procedure(d.Handle, WM_QUERYENDSESSION, 0, 0), 0) << "may close: not claimed";
        d.MayClose = false;
        EXPECT_EQ(procedure(d.Handle, WM_QUERYENDSESSION, 0, 0), 1);
        EXPECT_EQ(procedure(d.Handle, WM_USER + 5, 0, 0), 0) << "unhandled: the system decides";
        d.MayClose = true;
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
}

TEST_F(DialogTest, AToolDialogPaintsItselfAndItsLabelsLightGrey) {
    auto* dialog = new GreyDialog(Main, TEST_DIALOG_FULL);
    dialog->Then([](GreyDialog& d) {
        const auto grey = reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH));
        HWND label = GetDlgItem(d.Handle, TEST_ITEM_LABEL);
        HDC dc = GetDC(label);
        EXPECT_EQ(SendMessageA(d.Handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(label)),
                  grey);
        EXPECT_EQ(GetBkColor(dc), RGB(0xC0, 0xC0, 0xC0));
        ReleaseDC(label, dc);
        EXPECT_EQ(SendMessageA(d.Handle, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(d.Handle)),
                  grey);
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
}

TEST_F(DialogTest, TheProgressBarStartsAtZeroToHundredAndShowsItsPosition) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL);
    auto* bar = new ProgressBar(dialog, InitResource, TEST_ITEM_PROGRESS);
    dialog->Then([bar](PlainDialog& d) {
        PBRANGE range{};
        SendMessageA(bar->Handle, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, 0);
        EXPECT_EQ(range.iHigh, 100);
        EXPECT_EQ(SendMessageA(bar->Handle, PBM_GETPOS, 0, 0), 0);

        bar->SetRange(0, 36);
        bar->SetPosition(18);
        SendMessageA(bar->Handle, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iHigh, 36);
        EXPECT_EQ(SendMessageA(bar->Handle, PBM_GETPOS, 0, 0), 18) << "half full";
        bar->StepIt();
        EXPECT_EQ(SendMessageA(bar->Handle, PBM_GETPOS, 0, 0), 19) << "step 1";
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
}

TEST_F(DialogTest, ComboBoxesAttachedToItemsKeepTheTemplatesOrder) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_FULL);
    auto* plain = new ComboBox(dialog, InitResource, TEST_ITEM_COMBO, 0);
    auto* sorted = new ComboBox(dialog, InitResource, TEST_ITEM_SORTED_COMBO, 0);
    dialog->Then([&](PlainDialog& d) {
        for (ComboBox* combo : {plain, sorted}) {
            combo->AddString("b");
            combo->AddString("a");
        }
        char first[4] = {};
        plain->GetString(first, 0);
        EXPECT_STREQ(first, "b");
        sorted->GetString(first, 0);
        EXPECT_STREQ(first, "a");
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
}

TEST_F(DialogTest, TheFocusReturnsToTheChildThatHadItAfterAModalDialog) {
    Main->EnableKeyboardHandler();
    auto* first = new ButtonWindow(Main, 1, 10, 10);
    auto* second = new ButtonWindow(Main, 2, 10, 50);
    ASSERT_TRUE(first->Create());
    ASSERT_TRUE(second->Create());
    SetActiveWindow(Main->Handle);
    SetFocus(second->Handle);
    ASSERT_EQ(GetFocus(), second->Handle);

    auto* dialog = new PlainDialog(Main, TEST_DIALOG_OK_ONLY);
    dialog->Then([](PlainDialog& d) {
        EXPECT_NE(GetActiveWindow(), CurrentApplication->MainWindow->Handle);
        EXPECT_EQ(CurrentApplication->KeyboardHandler, nullptr);
        d.Click(IDOK);
    });
    EXPECT_EQ(App.ExecDialog(dialog), IDOK);
    EXPECT_EQ(GetFocus(), second->Handle);
    EXPECT_EQ(App.KeyboardHandler, Main);
}

TEST_F(DialogTest, ATextTemplateNameIsCopiedAndAnIdIsKeptAsItIs) {
    auto* byId = new Dialog(Main, TEST_DIALOG_OK_ONLY);
    EXPECT_EQ(byId->TemplateName, MAKEINTRESOURCEA(TEST_DIALOG_OK_ONLY));
    byId->Free();

    char name[] = "NAMEDDIALOG";
    auto* byName = new PlainDialog(Main, name);
    EXPECT_NE(byName->TemplateName, name);
    std::strcpy(name, "CHANGED");
    byName->Then([](PlainDialog& d) { d.Click(IDOK); });
    EXPECT_EQ(App.ExecDialog(byName), IDOK) << "opened from the copy of the name";
}

TEST_F(DialogTest, ExecDialogWithoutADialogReturnsCancel) {
    EXPECT_EQ(App.ExecDialog(nullptr), IDCANCEL);
}

TEST_F(DialogTest, ADialogWhoseTemplateIsMissingReturnsTheSystemsFailureAndIsDisposed) {
    auto* dialog = new PlainDialog(Main, 4242, &Disposed);
    EXPECT_EQ(App.ExecDialog(dialog), -1);
    EXPECT_TRUE(Disposed);
}

TEST_F(DialogTest, AModelessDialogHandlesTheKeyboardAndClosesItselfOnOk) {
    auto* dialog = new PlainDialog(Main, TEST_DIALOG_OK_ONLY, &Disposed);
    ASSERT_EQ(App.MakeWindow(dialog), dialog);
    EXPECT_TRUE(dialog->IsFlagSet(FlagKeyboardHandler));
    HWND handle = dialog->Handle;
    EXPECT_TRUE(IsWindow(handle));
    SendMessageA(GetDlgItem(handle, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(Disposed);
    EXPECT_FALSE(IsWindow(handle));
}

}  // namespace
