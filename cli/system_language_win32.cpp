#include <windows.h>

#include "cli/system_language.h"

std::string SystemLanguage() {
    // The language of the user's Windows display, whatever the code page.
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CZECH ? "cs" : "en";
}
