// What the driver reads of one window: enough to compare it with a layout table.
#pragma once

#include <windows.h>

#include <string>

struct WindowInfo {
    HWND Handle = nullptr;
    std::string ClassName;
    // The control id (GWLP_ID); 0 for a top-level window without a menu.
    int Id = 0;
    // The window's text through WM_GETTEXT, as the program's 8-bit bytes.
    std::string Text;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    // The outer rectangle, in the parent's client coordinates for a child window and in
    // screen coordinates for a top-level one: where and how large the program created it.
    RECT Rect = {};
};
