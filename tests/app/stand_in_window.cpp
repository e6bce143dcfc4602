// A small window program that the driver's own tests act on in place of the real program:
// a list, buttons, an edit field and a value field that turns white on red, each showing in
// the value field what reached it.
//   stand_in_window.exe [EXIT-CODE]   the title comes from STAND_IN_TITLE ("Stand-in")
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kChoiceId = 201;
constexpr int kShowId = 202;
constexpr int kEntryId = 203;
constexpr int kValueId = 204;
constexpr int kFaultId = 205;
constexpr int kMessageId = 206;

HWND Value = nullptr;
HWND Entry = nullptr;
HWND Fault = nullptr;
HBRUSH RedBrush = nullptr;
bool Faulty = false;
int ExitCode = 0;

HWND AddChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y,
              int w, int h, int id) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void CreateChildren(HWND window) {
    HWND choice = AddChild(window, "ComboBox", "", CBS_DROPDOWNLIST | WS_TABSTOP, 10, 10, 120, 100,
                           kChoiceId);
    // The last item has a Czech letter, which the driver must pass in Windows-1250.
    for (const char* item : {"alpha", "beta", "gamma", "Čidlo"}) {
        SendMessageA(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    AddChild(window, "Button", "Show", BS_PUSHBUTTON | WS_TABSTOP, 140, 10, 60, 24, kShowId);
    Entry = AddChild(window, "Edit", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 45, 120, 24,
                     kEntryId);
    Value = AddChild(window, "Static", "", SS_RIGHT | WS_BORDER, 10, 80, 180, 24, kValueId);
    Fault =
        AddChild(window, "Button", "Číst", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 115, 90, 20, kFaultId);
    AddChild(window, "Button", "Message", BS_PUSHBUTTON | WS_TABSTOP, 110, 115, 80, 24, kMessageId);
    SetFocus(choice);
}

void OnCommand(HWND window, int id, int code, HWND control) {
    if (id == kChoiceId && code == CBN_SELCHANGE) {
        char text[64] = {};
        const LRESULT index = SendMessageA(control, CB_GETCURSEL, 0, 0);
        SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        SetWindowTextA(Value, (std::string("chose ") + text).c_str());
    } else if (id == kShowId && code == BN_CLICKED) {
        char text[64] = {};
        GetWindowTextA(Entry, text, sizeof text);
        SetWindowTextA(Value, text);
    } else if (id == kFaultId && code == BN_CLICKED) {
        Faulty = SendMessageA(Fault, BM_GETCHECK, 0, 0) == BST_CHECKED;
        InvalidateRect(Value, nullptr, TRUE);
    } else if (id == kMessageId && code == BN_CLICKED) {
        MessageBoxA(window, "Zpráva č. 1", "Titulek", MB_OK | MB_ICONERROR);
        SetWindowTextA(Value, "message closed");
    }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateChildren(window);
            return 0;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Value && Faulty) {
                SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
                SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
                return reinterpret_cast<LRESULT>(RedBrush);
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(ExitCode);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    ExitCode = argc > 1 ? std::atoi(argv[1]) : 0;
    const char* title = std::getenv("STAND_IN_TITLE");
    RedBrush = CreateSolidBrush(RGB(255, 0, 0));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = "StandInWindow";
    // Both return 0 or null on failure.
    if (RegisterClassA(&windowClass) == 0) {
        return 2;
    }
    HWND window =
        CreateWindowExA(0, windowClass.lpszClassName, title != nullptr ? title : "Stand-in",
                        WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, 0, 300, 200,
                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 2;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DeleteObject(RedBrush);
    return static_cast<int>(message.wParam);
}
