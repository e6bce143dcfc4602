#include <windows.h>

#include <cstdlib>

#include "records/records_folder.h"

const char PathSeparator = '\\';

std::string DefaultRecordsFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0') {
        return {};
    }
    return std::string(local) + "\\QX7\\records";
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    // Past a drive's "C:\" or a share's "\\server\share\", whose parts cannot be made.
    std::size_t at = 0;
    if (path.size() > 2 && path[1] == ':') {
        at = 3;
    } else if (path.compare(0, 2, "\\\\") == 0) {
        at = path.find_first_of("\\/", 2);
        at = at == std::string::npos ? path.size() : path.find_first_of("\\/", at + 1);
    }
    for (at = path.find_first_of("\\/", at); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        // A parent that cannot be made shows in the last step.
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    // Nonzero on success; an existing folder is just as good.
    if (CreateDirectoryA(path.c_str(), nullptr) != 0) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
