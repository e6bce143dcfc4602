#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "records/records_folder.h"

const char PathSeparator = '/';

Text DefaultRecordsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // XDG_DATA_HOME holds an absolute path; a relative value is ignored, as XDG says.
    if (data != nullptr && data[0] == '/') {
        return Text(data).Append("/qx7/records");
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return {};
    }
    return Text(home).Append("/.local/share/qx7/records");
}

bool MakeFolders(const Text& path) {
    if (path.Empty()) {
        return false;
    }
    for (std::size_t at = 1; at < path.Size(); ++at) {
        if (path.Data()[at] == '/') {
            // A parent that cannot be made shows in the last step.
            mkdir(Text(path.Data(), at).Data(), 0777);
        }
    }
    // mkdir returns 0 on success; an existing folder is just as good.
    if (mkdir(path.Data(), 0777) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && stat(path.Data(), &info) == 0 && S_ISDIR(info.st_mode);
}
