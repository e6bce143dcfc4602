#include <windows.h>

#include "records/system_user.h"

Text SystemUserName() {
    // The wide call, so that a name in any script comes through whole.
    wchar_t name[257];
    DWORD length = sizeof name / sizeof name[0];
    if (GetUserNameW(name, &length) == 0) {
        return {};
    }
    char text[257 * 4];
    // The length counts the terminating zero, which -1 converts as well.
    const int written =
        WideCharToMultiByte(CP_UTF8, 0, name, -1, text, sizeof text, nullptr, nullptr);
    return written > 0 ? Text(text) : Text();
}
