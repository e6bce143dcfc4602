// A message box that a program shows: its window, caption and text.
#pragma once

#include <windows.h>

#include <string>

struct MessageBoxInfo {
    HWND Handle = nullptr;
    std::string Caption;
    std::string Text;
};
