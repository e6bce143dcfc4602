#include <windows.h>

#include <string>

#include "tests/support/windows_1250.h"

std::string Windows1250(const char* utf8) {
    // Both conversions answer 0 on failure; the lengths count the terminating zero.
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (wideLength == 0) {
        return NoWindows1250Form;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), wideLength) ==
        0) {
        return NoWindows1250Form;
    }
    // A character without a Windows-1250 byte sets usedDefault instead of failing.
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0,
                                           nullptr, &usedDefault);
    if (length == 0 || usedDefault) {
        return NoWindows1250Form;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, text.data(), length,
                            nullptr, &usedDefault) == 0 ||
        usedDefault) {
        return NoWindows1250Form;
    }
    text.resize(text.size() - 1);
    return text;
}
