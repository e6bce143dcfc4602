#include "tests/app/driver/user_input.h"

namespace driver {

namespace {

Delivery Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD waitMs) {
    if (waitMs == 0) {
        // Nonzero on success.
        return PostMessageA(window, message, wParam, lParam) != FALSE ? Delivery::Pending
                                                                      : Delivery::Failed;
    }
    DWORD_PTR result = 0;
    // Nonzero when the handler returned in time; 0 with ERROR_TIMEOUT while it still runs.
    SetLastError(0);
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, waitMs, &result) != 0) {
        return Delivery::Handled;
    }
    return GetLastError() == ERROR_TIMEOUT ? Delivery::Pending : Delivery::Failed;
}

}  // namespace

Delivery ChooseComboItem(HWND combo, int index, DWORD waitMs) {
    if (Deliver(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, kHandlerWait) !=
        Delivery::Handled) {
        return Delivery::Failed;
    }
    const int id = static_cast<int>(GetWindowLongPtrA(combo, GWLP_ID));
    return Deliver(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo), waitMs);
}

Delivery ChooseComboText(HWND combo, const std::string& text, DWORD waitMs) {
    DWORD_PTR index = 0;
    // The string travels to the other process only with a sent message.
    if (SendMessageTimeoutA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kHandlerWait,
                            &index) == 0 ||
        static_cast<LRESULT>(index) == CB_ERR) {
        return Delivery::Failed;
    }
    return ChooseComboItem(combo, static_cast<int>(index), waitMs);
}

Delivery Click(HWND button, DWORD waitMs) {
    return Deliver(button, BM_CLICK, 0, 0, waitMs);
}

Delivery ReplaceText(HWND edit, const std::string& text) {
    return Deliver(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), kHandlerWait);
}

Delivery TypeText(HWND edit, const std::string& text) {
    for (char c : text) {
        const Delivery delivery =
            Deliver(edit, WM_CHAR, static_cast<unsigned char>(c), 1, kHandlerWait);
        if (delivery != Delivery::Handled) {
            return delivery;
        }
    }
    return Delivery::Handled;
}

Delivery PressKey(HWND window, UINT virtualKey) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    // Nonzero on success.
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) == FALSE) {
        return Delivery::Failed;
    }
    HWND target = info.hwndFocus != nullptr ? info.hwndFocus : window;
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    if (Deliver(target, WM_KEYDOWN, virtualKey, down, 0) == Delivery::Failed) {
        return Delivery::Failed;
    }
    return Deliver(target, WM_KEYUP, virtualKey, up, 0);
}

Delivery CloseWindow(HWND window) {
    return Deliver(window, WM_SYSCOMMAND, SC_CLOSE, 0, 0);
}

Delivery CloseMessageBox(const MessageBoxInfo& box) {
    HWND button = GetDlgItem(box.Handle, IDOK);
    if (button == nullptr) {
        button = GetDlgItem(box.Handle, IDCANCEL);
    }
    if (button == nullptr) {
        return Delivery::Failed;
    }
    return Click(button, 0);
}

}  // namespace driver
