// The one message of a window procedure call, as every handler of the framework receives it.
#pragma once

#include <windows.h>

#include <cstddef>

// Lives on the window procedure's stack for one call; Result is what the procedure returns.
struct MessageRecord {
    HWND Receiver;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// The shipped 32-bit program hands handlers five consecutive 32-bit fields; the 64-bit test
// build widens the handle and the parameters.
static_assert(sizeof(void*) != 4 || sizeof(MessageRecord) == 20, "five 32-bit fields");
static_assert(sizeof(void*) != 4 ||
                  (offsetof(MessageRecord, Message) == 4 && offsetof(MessageRecord, WParam) == 8 &&
                   offsetof(MessageRecord, LParam) == 12 && offsetof(MessageRecord, Result) == 16),
              "in their order");
