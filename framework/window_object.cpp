#include "framework/window_object.h"

#include "framework/application.h"
#include "framework/thunk_page.h"
#include "framework/window.h"
#include "framework/window_procedure.h"

WindowObject::WindowObject(WindowObject* parent) : Parent(parent) {
    if (Parent != nullptr) {
        Parent->AddChild(this);
    }
    Thunk = reinterpret_cast<WNDPROC>(AllocateThunk(this));
}

WindowObject::~WindowObject() {
    ForEach([](WindowObject* child) { child->Free(); });
    if (Parent != nullptr) {
        Parent->RemoveChild(this);
    }
    if (IsMainWindow()) {
        CurrentApplication->MainWindow = nullptr;
    }
    if (CurrentApplication != nullptr && CurrentApplication->KeyboardHandler == this) {
        CurrentApplication->KeyboardHandler = nullptr;
    }
    if (CreatingObject == this) {
        CreatingObject = nullptr;
    }
    FreeThunk(reinterpret_cast<void*>(Thunk));
}

bool WindowObject::IsMainWindow() const {
    return CurrentApplication != nullptr &&
           static_cast<const WindowObject*>(CurrentApplication->MainWindow) == this;
}

void WindowObject::DefaultCommand(MessageRecord& msg) {
    if (Parent != nullptr) {
        Parent->DispatchCommand(msg, LOWORD(msg.WParam));
    } else {
        DefaultProcessing(msg);
    }
}

void WindowObject::DefaultChildNotify(MessageRecord& msg) {
    DefaultProcessing(msg);
}

void WindowObject::DefaultNotify(MessageRecord& msg) {
    if (Parent != nullptr) {
        // 0 when the id cannot be read, which no control of the tool uses.
        Parent->DispatchChildNotify(msg, static_cast<UINT>(GetWindowLongPtrA(Handle, GWLP_ID)));
    }
}

void WindowObject::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_DESTROY:
            OnDestroy(msg);
            break;
        case WM_ACTIVATE:
            OnActivate(msg);
            break;
        case WM_CLOSE:
            OnClose(msg);
            break;
        case WM_QUERYENDSESSION:
            OnQueryEndSession(msg);
            break;
        case WM_COMMAND:
            OnCommand(msg);
            break;
        case WM_HSCROLL:
            OnHScroll(msg);
            break;
        case WM_VSCROLL:
            OnVScroll(msg);
            break;
        default:
            DefaultProcessing(msg);
            break;
    }
}

void WindowObject::DispatchCommand(MessageRecord& msg, UINT id) {
    if (id == ExitCommandId) {
        OnExitCommand(msg);
    } else {
        DefaultCommand(msg);
    }
}

void WindowObject::DispatchChildNotify(MessageRecord& msg, UINT) {
    DefaultChildNotify(msg);
}

void WindowObject::DispatchNotify(MessageRecord& msg, UINT) {
    DefaultNotify(msg);
}

int WindowObject::GetId() {
    return -1;
}

const char* WindowObject::GetClassName() {
    return "AppWindow";
}

bool WindowObject::Register() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    // Nonzero: the class exists, and its first registrant decided its attributes.
    if (GetClassInfoA(instance, GetClassName(), &windowClass) != 0) {
        return true;
    }
    GetWindowClass(windowClass);
    // A class atom of 0 means the class could not be registered.
    return LOWORD(RegisterClassA(&windowClass)) != 0;
}

std::int32_t WindowObject::Transfer(void*, int) {
    return 0;
}

void WindowObject::SetupWindow() {
    if (CreateChildren()) {
        TransferData(TransferSet);
    }
}

void WindowObject::DestroyHandle() {
    if (Handle != nullptr) {
        // Fails harmlessly for a window that is already gone (a modal dialog after its end).
        DestroyWindow(Handle);
    }
}

bool WindowObject::CanClose() {
    return FirstThat([](WindowObject* child) { return !child->CanClose(); }) == nullptr;
}

void WindowObject::OnActivate(MessageRecord& msg) {
    DefaultProcessing(msg);
    if (IsFlagSet(FlagKeyboardHandler) && CurrentApplication != nullptr) {
        CurrentApplication->KeyboardHandler = LOWORD(msg.WParam) != WA_INACTIVE ? this : nullptr;
    }
}

void WindowObject::OnCommand(MessageRecord& msg) {
    const UINT id = LOWORD(msg.WParam);
    if (msg.LParam == 0) {
        DispatchCommand(msg, id);
        return;
    }
    WindowObject* control = ObjectFromHandle(reinterpret_cast<HWND>(msg.LParam));
    if (control != nullptr) {
        control->DispatchNotify(msg, HIWORD(msg.WParam));
    } else {
        DispatchChildNotify(msg, id);
    }
}

void WindowObject::OnHScroll(MessageRecord& msg) {
    if (msg.LParam == 0) {
        DefaultProcessing(msg);
        return;
    }
    auto bar = reinterpret_cast<HWND>(msg.LParam);
    WindowObject* control = ObjectFromHandle(bar);
    if (control != nullptr) {
        control->DispatchNotify(msg, LOWORD(msg.WParam));
    } else {
        DispatchChildNotify(msg, static_cast<UINT>(GetWindowLongPtrA(bar, GWLP_ID)));
    }
}

void WindowObject::OnVScroll(MessageRecord& msg) {
    OnHScroll(msg);
}

void WindowObject::OnClose(MessageRecord&) {
    CloseWindow();
}

void WindowObject::OnDestroy(MessageRecord& msg) {
    if (IsMainWindow()) {
        // Cannot fail: it only marks the thread's queue.
        PostQuitMessage(0);
    }
    DefaultProcessing(msg);
}

void WindowObject::OnQueryEndSession(MessageRecord& msg) {
    const bool mayClose = IsMainWindow() ? CurrentApplication->CanClose() : CanClose();
    msg.Result = mayClose ? 1 : 0;
}

void WindowObject::OnExitCommand(MessageRecord& msg) {
    if (IsMainWindow()) {
        CloseWindow();
    } else {
        DefaultCommand(msg);
    }
}

void WindowObject::AddChild(WindowObject* child) {
    if (child == nullptr) {
        return;
    }
    if (LastChild == nullptr) {
        child->NextSibling = child;
    } else {
        child->NextSibling = LastChild->NextSibling;
        LastChild->NextSibling = child;
    }
    LastChild = child;
}

void WindowObject::RemoveChild(WindowObject* child) {
    if (LastChild == nullptr || child == nullptr) {
        return;
    }
    WindowObject* predecessor = LastChild;
    while (predecessor->NextSibling != child) {
        predecessor = predecessor->NextSibling;
        if (predecessor == LastChild) {
            return;
        }
    }
    if (child->NextSibling == child) {
        LastChild = nullptr;
        return;
    }
    if (child == LastChild) {
        LastChild = predecessor;
    }
    predecessor->NextSibling = child->NextSibling;
}

bool WindowObject::CreateChildren() {
    return FirstThat([](WindowObject* child) { return !child->Create(); }) == nullptr;
}

void WindowObject::TransferData(int direction) {
    if (TransferBuffer == nullptr) {
        return;
    }
    auto* cursor = static_cast<std::uint8_t*>(TransferBuffer);
    ForEach([&cursor, direction](WindowObject* child) {
        if (child->IsFlagSet(FlagTransfer)) {
            cursor += child->Transfer(cursor, direction);
        }
    });
}

void WindowObject::CloseWindow() {
    // Freed now, the main window would take a running dialog with it, under the dialog's feet.
    if (IsMainWindow() && CurrentApplication->DeferCloseToDialogEnd()) {
        return;
    }
    const bool mayClose = IsMainWindow() ? CurrentApplication->CanClose() : CanClose();
    if (mayClose) {
        Free();
    }
}

void WindowObject::Show(int showCommand) {
    if (Handle != nullptr) {
        // Returns the previous visibility, not a success.
        ShowWindow(Handle, showCommand);
    }
}

void WindowObject::Enable() {
    if (Handle != nullptr) {
        // Returns the previous state, not a success.
        EnableWindow(Handle, TRUE);
    }
}

void WindowObject::Disable() {
    if (Handle != nullptr) {
        EnableWindow(Handle, FALSE);
    }
}
