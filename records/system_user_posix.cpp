#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "records/system_user.h"

Text SystemUserName() {
    // getpwuid_r returns 0 and sets the result on success.
    char buffer[1024];
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return Text(found->pw_name);
    }
    const char* user = std::getenv("USER");
    return Text(user != nullptr ? user : "");
}
