#include <windows.h>

#include "cli/atomic_file.h"

bool ReplaceWholeFile(const std::string& path, const std::string& text, std::string& problem) {
    const std::string temporary = path + ".partial-" + std::to_string(GetCurrentProcessId());
    // A handle on success, INVALID_HANDLE_VALUE on failure; CREATE_NEW never reuses a file.
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem =
            "cannot create a file beside it (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    DWORD written = 0;
    // WriteFile and FlushFileBuffers are nonzero on success; a short write is a failure too.
    bool complete =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
        written == text.size() && FlushFileBuffers(file) != 0;
    const DWORD error = GetLastError();
    complete = CloseHandle(file) != 0 && complete;
    if (!complete) {
        problem = "cannot write it (Windows error " + std::to_string(error) + ")";
        DeleteFileA(temporary.c_str());
        return false;
    }
    // Nonzero on success; replaces the target in one step.
    if (MoveFileExA(temporary.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        problem = "cannot rename the finished file over it (Windows error " +
                  std::to_string(GetLastError()) + ")";
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
