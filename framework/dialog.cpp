#include "framework/dialog.h"

#include <cstring>

namespace {

LPSTR CopyTemplateName(const char* name) {
    if (IS_INTRESOURCE(name)) {
        return const_cast<LPSTR>(name);
    }
    const std::size_t size = std::strlen(name) + 1;
    char* copy = new char[size];
    std::memcpy(copy, name, size);
    return copy;
}

HWND ParentHandle(const WindowObject* parent) {
    return parent != nullptr ? parent->Handle : nullptr;
}

}  // namespace

Dialog::Dialog(WindowObject* parent, const char* templateName)
    : WindowObject(parent), TemplateName(CopyTemplateName(templateName)) {}

Dialog::Dialog(WindowObject* parent, int templateId)
    : Dialog(parent, MAKEINTRESOURCEA(templateId)) {}

Dialog::~Dialog() {
    if (!IS_INTRESOURCE(TemplateName)) {
        delete[] TemplateName;
    }
    TemplateName = nullptr;
    DestroyHandle();
}

void Dialog::DefaultProcessing(MessageRecord& msg) {
    msg.Result = 0;
}

void Dialog::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_INITDIALOG:
            OnInitDialog(msg);
            break;
        default:
            WindowObject::HandleMessage(msg);
            break;
    }
}

void Dialog::DispatchChildNotify(MessageRecord& msg, UINT childId) {
    switch (childId) {
        case IDOK:
            Ok(msg);
            break;
        case IDCANCEL:
            Cancel(msg);
            break;
        default:
            WindowObject::DispatchChildNotify(msg, childId);
            break;
    }
}

bool Dialog::Create() {
    EnableKeyboardHandler();
    // 0: the template is missing or the window could not be made.
    Handle = CreateDialogParamA(GetModuleHandleA(nullptr), TemplateName, ParentHandle(Parent),
                                reinterpret_cast<DLGPROC>(Thunk), InitParam);
    return Handle != nullptr;
}

void Dialog::OnClose(MessageRecord& msg) {
    Cancel(msg);
}

void Dialog::OnQueryEndSession(MessageRecord& msg) {
    // A dialog procedure's 1 claims the message, so a dialog that may close answers 0 and
    // leaves the message to the system's default answer.
    WindowObject::OnQueryEndSession(msg);
    msg.Result = msg.Result != 0 ? 0 : 1;
}

void Dialog::OnInitDialog(MessageRecord& msg) {
    Handle = msg.Receiver;
    SetupWindow();
}

void Dialog::Ok(MessageRecord&) {
    if (!IsModal) {
        CloseWindow();
        return;
    }
    if (CanClose()) {
        TransferData(TransferGet);
        EndDialog(IDOK);
    }
}

void Dialog::Cancel(MessageRecord&) {
    if (IsModal) {
        EndDialog(IDCANCEL);
    } else {
        CloseWindow();
    }
}

INT_PTR Dialog::Execute() {
    IsModal = true;
    // 0 or -1: the dialog could not be made; the caller gets the value as it is.
    return DialogBoxParamA(GetModuleHandleA(nullptr), TemplateName, ParentHandle(Parent),
                           reinterpret_cast<DLGPROC>(Thunk), InitParam);
}

// 0 for a window that is not a running dialog; nothing ends then.
void Dialog::EndDialog(INT_PTR result) {
    ::EndDialog(Handle, result);
}
