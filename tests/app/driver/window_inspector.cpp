#include "tests/app/driver/window_inspector.h"

namespace driver {

namespace {

// The dialog class of message boxes and of the program's own dialogs.
constexpr char kDialogClass[] = "#32770";
// A message box's text is the static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

struct TopLevelSearch {
    DWORD ProcessId;
    const std::function<bool(HWND)>* Accept;
    HWND Found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->ProcessId == 0 || owner == search->ProcessId) && IsWindowVisible(window) &&
        (*search->Accept)(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// UTF-16 text in the program's 8-bit code page.
std::string FromWide(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    // Returns the byte count, 0 on failure.
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &text[0], bytes, nullptr, nullptr);
    }
    return text;
}

HWND FindTopLevel(DWORD processId, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    TopLevelSearch search = {processId, &accept, nullptr};
    WaitUntil(
        [&search] {
            EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
            return search.Found != nullptr;
        },
        timeoutMs);
    return search.Found;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
}

HWND FindTopLevelWindow(DWORD processId, const std::string& title, DWORD timeoutMs) {
    return FindTopLevel(
        processId, [&title](HWND window) { return TextOf(window) == title; }, timeoutMs);
}

std::string TextOf(HWND window) {
    // The text may change between two messages, so its length is not asked apart from it: a
    // buffer the text does not fill holds all of it.
    std::string text(256, '\0');
    for (;;) {
        DWORD_PTR copied = 0;
        // SendMessageTimeoutA returns 0 when the window failed to answer in time.
        if (SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                                SMTO_NORMAL, kAnswerWait, &copied) == 0) {
            return {};
        }
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    // Returns the length copied, 0 on failure.
    GetClassNameA(window, name, sizeof name);
    return name;
}

WindowInfo Describe(HWND window) {
    WindowInfo info;
    info.Handle = window;
    info.ClassName = ClassOf(window);
    info.Id = static_cast<int>(GetWindowLongPtrA(window, GWLP_ID));
    info.Text = TextOf(window);
    info.Style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    info.ExStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    GetWindowRect(window, &info.Rect);
    if ((info.Style & WS_CHILD) != 0) {
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&info.Rect), 2);
    }
    return info;
}

std::vector<WindowInfo> Children(HWND parent) {
    std::vector<WindowInfo> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(Describe(child));
    }
    return children;
}

HWND ChildWithId(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

RECT ClientRect(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    if (SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, kAnswerWait, &count) == 0 ||
        static_cast<LRESULT>(count) == CB_ERR) {
        return items;
    }
    for (WPARAM i = 0; i < count; ++i) {
        // Wine hands CB_GETLBTEXT of another process's combo box back in UTF-16 even when
        // asked in 8 bits, so the text is asked for in UTF-16 and converted here.
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, kAnswerWait, &length);
        if (static_cast<LRESULT>(length) == CB_ERR) {
            length = 0;
        }
        std::wstring wide(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), SMTO_NORMAL,
                            kAnswerWait, &copied);
        wide.resize(static_cast<LRESULT>(copied) == CB_ERR ? 0 : copied);
        items.push_back(FromWide(wide));
    }
    return items;
}

int ComboSelection(HWND combo) {
    DWORD_PTR index = 0;
    if (SendMessageTimeoutA(combo, CB_GETCURSEL, 0, 0, SMTO_NORMAL, kAnswerWait, &index) == 0) {
        return CB_ERR;
    }
    return static_cast<int>(static_cast<LRESULT>(index));
}

int CheckState(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, kAnswerWait, &state);
    return static_cast<int>(state);
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    // Nonzero on success.
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) == FALSE) {
        return nullptr;
    }
    return info.hwndFocus;
}

bool FindMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo& box) {
    HWND found = FindTopLevel(
        processId,
        [](HWND window) {
            return ClassOf(window) == kDialogClass &&
                   GetDlgItem(window, kMessageBoxTextId) != nullptr;
        },
        timeoutMs);
    if (found == nullptr) {
        return false;
    }
    box.Handle = found;
    box.Caption = TextOf(found);
    box.Text = TextOf(GetDlgItem(found, kMessageBoxTextId));
    return true;
}

COLORREF ScreenPixel(int x, int y) {
    // GetDC returns null on failure; GetPixel returns CLR_INVALID outside the screen.
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return CLR_INVALID;
    }
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

COLORREF WindowPixel(HWND window, int clientX, int clientY) {
    POINT point = {clientX, clientY};
    if (ClientToScreen(window, &point) == FALSE) {
        return CLR_INVALID;
    }
    return ScreenPixel(point.x, point.y);
}

}  // namespace driver
