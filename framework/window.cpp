#include "framework/window.h"

#include <cstring>

#include "framework/window_procedure.h"

namespace {

char* CopyTitle(const char* title) {
    if (title == nullptr || title[0] == '\0') {
        return nullptr;
    }
    const std::size_t size = std::strlen(title) + 1;
    char* copy = new char[size];
    std::memcpy(copy, title, size);
    return copy;
}

}  // namespace

Window::Window(WindowObject* parent, const char* title)
    : WindowObject(parent),
      Title(CopyTitle(title)),
      Style(parent == nullptr ? WS_OVERLAPPEDWINDOW : WS_CHILD | WS_VISIBLE),
      X(CW_USEDEFAULT),
      W(CW_USEDEFAULT),
      DefaultProc(DefWindowProcA) {}

Window::Window(WindowObject* parent, InitResourceTag, int itemId)
    : WindowObject(parent), Id(itemId) {
    Flags |= FlagFromResource;
}

Window::~Window() {
    delete[] Title;
    Title = nullptr;
    DestroyHandle();
}

void Window::DefaultProcessing(MessageRecord& msg) {
    // The record's window, not Handle: the first messages arrive before Handle is known.
    msg.Result = CallWindowProcA(DefaultProc, msg.Receiver, msg.Message, msg.WParam, msg.LParam);
}

void Window::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_CREATE:
            OnCreate(msg);
            break;
        case WM_MOVE:
            OnMove(msg);
            break;
        case WM_SIZE:
            OnSize(msg);
            break;
        case WM_PAINT:
            OnPaint(msg);
            break;
        case WM_SYSCOMMAND:
            OnSysCommand(msg);
            break;
        default:
            WindowObject::HandleMessage(msg);
            break;
    }
}

int Window::GetId() {
    return Id;
}

void Window::GetWindowClass(WNDCLASSA& windowClass) {
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = InitialWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = GetClassName();
}

bool Window::Create() {
    HWND parentHandle = Parent != nullptr ? Parent->Handle : nullptr;
    if (IsFlagSet(FlagFromResource)) {
        // 0: the template has no item with this id.
        Handle = GetDlgItem(parentHandle, Id);
    } else if (Register()) {
        CreatingObject = this;
        CreateHandle(parentHandle);
        // A framework-class window took the object over at its first message; any other
        // window never does, and a later window must not find this object waiting.
        CreatingObject = nullptr;
    }
    // A framework-class window is bound to the thunk already; without the registered message
    // no object answers for it, and subclassing it again would make the thunk its own default.
    const auto procedure =
        reinterpret_cast<WNDPROC>(Handle != nullptr ? GetWindowLongPtrA(Handle, GWLP_WNDPROC) : 0);
    if (Handle != nullptr && procedure != Thunk && ObjectFromHandle(Handle) == nullptr) {
        // The previous procedure (never 0 for a live window) answers what this object does
        // not handle.
        DefaultProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Thunk)));
        SetupWindow();
        UpdatePlacement();
    }
    return Handle != nullptr;
}

void Window::OnActivate(MessageRecord& msg) {
    WindowObject::OnActivate(msg);
    if (!IsFlagSet(FlagKeyboardHandler)) {
        return;
    }
    if (LOWORD(msg.WParam) != WA_INACTIVE) {
        RestoreFocus();
    } else {
        SaveFocus();
    }
}

void Window::CreateHandle(HWND parentHandle) {
    // 0 means failure; Create reports it.
    Handle = CreateWindowExA(ExStyle, GetClassName(), Title, Style, X, Y, W, H, parentHandle,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)),
                             GetModuleHandleA(nullptr), Param);
}

void Window::Paint(PAINTSTRUCT&) {}

void Window::OnCreate(MessageRecord& msg) {
    SetupWindow();
    DefaultProcessing(msg);
}

void Window::OnPaint(MessageRecord&) {
    PAINTSTRUCT paint{};
    // A null device context means there is nothing to draw on, but EndPaint must still pair.
    BeginPaint(Handle, &paint);
    Paint(paint);
    EndPaint(Handle, &paint);
}

void Window::OnMove(MessageRecord& msg) {
    UpdatePlacement();
    DefaultProcessing(msg);
}

void Window::OnSize(MessageRecord& msg) {
    RECT rect{};
    // Nonzero: the rectangle was read.
    if (msg.WParam == SIZE_RESTORED && GetWindowRect(Handle, &rect) != 0) {
        W = rect.right - rect.left;
        H = rect.bottom - rect.top;
    }
    DefaultProcessing(msg);
}

void Window::OnSysCommand(MessageRecord& msg) {
    if (IsFlagSet(FlagKeyboardHandler)) {
        switch (msg.WParam & 0xFFF0) {
            case SC_MINIMIZE:
                SaveFocus();
                break;
            case SC_RESTORE:
                // Still minimised here; the activation that follows gives the focus back.
                RestoreFocus();
                break;
            default:
                break;
        }
    }
    DefaultProcessing(msg);
}

void Window::SaveFocus() {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle, focus) != 0) {
        SavedFocus = focus;
    }
}

void Window::RestoreFocus() {
    if (SavedFocus != nullptr && IsWindow(SavedFocus) != 0 && IsIconic(Handle) == 0) {
        // Null on failure; the focus then stays where the activation put it.
        SetFocus(SavedFocus);
    }
}

void Window::UpdatePlacement() {
    if (IsIconic(Handle) != 0 || IsZoomed(Handle) != 0) {
        return;
    }
    RECT rect{};
    // 0: no such window; the attributes keep their values.
    if (GetWindowRect(Handle, &rect) == 0) {
        return;
    }
    W = rect.right - rect.left;
    H = rect.bottom - rect.top;
    POINT corner{rect.left, rect.top};
    if (Parent != nullptr && (Style & WS_CHILD) != 0) {
        // 0 on failure, leaving the corner in screen coordinates.
        ScreenToClient(Parent->Handle, &corner);
    }
    X = corner.x;
    Y = corner.y;
}
