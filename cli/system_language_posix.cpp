#include <cstdlib>
#include <cstring>

#include "cli/system_language.h"

std::string SystemLanguage() {
    // The first of these that is set decides, as for the messages of any program.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "cs", 2) == 0 ? "cs" : "en";
        }
    }
    return "en";
}
