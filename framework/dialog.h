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

    // Result 0: the message is left to the dialog manager's own default.
    void DefaultProcessing(MessageRecord& msg) override;
    void HandleMessage(MessageRecord& msg) override;
    void DispatchChildNotify(MessageRecord& msg, UINT childId) override;
    // Dialogs belong to no window class of their own.
    void GetWindowClass(WNDCLASSA&) override {}
    // Runs the dialog modelessly.
    bool Create() override;
    void OnClose(MessageRecord& msg) override;
    void OnQueryEndSession(MessageRecord& msg) override;
    virtual void OnInitDialog(MessageRecord& msg);
    virtual void Ok(MessageRecord& msg);
    virtual void Cancel(MessageRecord& msg);

    // Runs the dialog modally; returns its result, or the system's failure value when the
    // dialog could not be made.
    INT_PTR Execute();
    void EndDialog(INT_PTR result);

    LPSTR TemplateName = nullptr;
    LPARAM InitParam = 0;
    bool IsModal = false;
};
