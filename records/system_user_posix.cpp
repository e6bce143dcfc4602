#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "records/system_user.h"

std::string SystemUserName() {
    // getpwuid_r returns 0 and sets the result on success.
    char buffer[1024];
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}
