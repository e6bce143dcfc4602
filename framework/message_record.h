// The one message of a window procedure call, as every handler of the framework receives it.
#pragma once

#include <windows.h>

// Lives on the window procedure's stack for one call; Result is what the procedure returns.
struct MessageRecord {
    HWND Receiver;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};
