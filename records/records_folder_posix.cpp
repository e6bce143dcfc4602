#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "records/records_folder.h"

const char PathSeparator = '/';

std::string DefaultRecordsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // The base directory specification: a relative value is to be ignored.
    if (data != nullptr && data[0] == '/') {
        return std::string(data) + "/qx7/records";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return {};
    }
    return std::string(home) + "/.local/share/qx7/records";
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        // A parent that cannot be made shows in the last step.
        mkdir(path.substr(0, at).c_str(), 0777);
    }
    // mkdir returns 0 on success; an existing folder is just as good.
    if (mkdir(path.c_str(), 0777) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
