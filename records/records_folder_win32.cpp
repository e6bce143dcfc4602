#include <windows.h>

#include <cstdlib>

#include "records/records_folder.h"

const char PathSeparator = '\\';

Text DefaultRecordsFolder() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0') {
        return {};
    }
    return Text(local).Append("\\QX7\\records");
}

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool MakeFolders(const Text& path) {
    const char* p = path.Data();
    const std::size_t size = path.Size();
    if (size == 0) {
        return false;
    }
    // Past a drive's "C:\" or a share's "\\server\share\", which cannot be made.
    std::size_t at = 1;
    if (size > 2 && p[1] == ':') {
        at = 3;
    } else if (size > 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        int separators = 0;
        for (at = 2; at < size && separators < 2; ++at) {
            separators += IsSeparator(p[at]) ? 1 : 0;
        }
    }
    for (; at < size; ++at) {
        if (IsSeparator(p[at])) {
            // A parent that cannot be made shows in the last step.
            CreateDirectoryA(Text(p, at).Data(), nullptr);
        }
    }
    // Nonzero on success; an existing folder is just as good.
    if (CreateDirectoryA(p, nullptr) != 0) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(p);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
