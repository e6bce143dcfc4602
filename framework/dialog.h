// A window built by the system from a dialog template, run modally or modelessly.
#pragma once

#include <windows.h>

#include "framework/window_object.h"

class Dialog : public WindowObject {
  public:
    // templateName: a text, which is copied, or an integer id made with MAKEINTRESOURCEA.
    Dialog(WindowObject* parent, const char* templateName);
    Dialog(WindowObject* parent, int templateId);
    ~Dialog() override;

    // Defaults.
    // Any message: no field; Result 0 leaves the message to the dialog manager's own default.
    void DefaultProcessing(MessageRecord& msg) override;

    // Dispatch.
    // Message: WM_INITDIALOG, then WindowObject's.
    void HandleMessage(MessageRecord& msg) override;
    // WM_COMMAND from a child: childId IDOK goes to Ok, IDCANCEL to Cancel.
    void DispatchChildNotify(MessageRecord& msg, UINT childId) override;

    // Creation: no message. Dialogs belong to no window class of their own.
    void GetWindowClass(WNDCLASSA&) override {}
    // Runs the dialog modelessly.
    bool Create() override;

    // Handlers.
    // WM_CLOSE: no field; as Cancel.
    void OnClose(MessageRecord& msg) override;
    // WM_QUERYENDSESSION: no field; Result is 1 to claim the message when the dialog may not
    // close.
    void OnQueryEndSession(MessageRecord& msg) override;

    // Dialog's own operations, after WindowObject's.
    // WM_INITDIALOG: Receiver, the dialog's window.
    virtual void OnInitDialog(MessageRecord& msg);
    // IDOK from a child: no field.
    virtual void Ok(MessageRecord& msg);
    // IDCANCEL from a child: no field.
    virtual void Cancel(MessageRecord& msg);

    // Runs the dialog modally; returns its result, or the system's failure value when the
    // dialog could not be made.
    INT_PTR Execute();
    void EndDialog(INT_PTR result);

    LPSTR TemplateName = nullptr;
    LPARAM InitParam = 0;
    bool IsModal = false;
};
