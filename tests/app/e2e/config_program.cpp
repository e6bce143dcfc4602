#include "tests/app/e2e/config_program.h"

#include <cstdio>

#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"

namespace {

constexpr char kTitle[] = "QX7 config";
// Wine's first start of a program in a fresh prefix can take a while.
constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 15000;

// The build gives the executable's Unix path; Wine reaches it through drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

}  // namespace

bool ConfigProgram::Start(const std::vector<std::string>& variables) {
    if (!Process.Start("\"" + WindowsPath(QX7CONFIG_EXE) + "\"", variables)) {
        // Seen once, at once after the previous program had closed: the next one tells why.
        std::fprintf(stderr, "CreateProcess of the program failed: error %lu\n", GetLastError());
        return false;
    }
    MainWindow = driver::FindTopLevelWindow(Process.Id(), kTitle, kStartWait);
    return MainWindow != nullptr;
}

HWND ConfigProgram::Control(int id) const {
    return driver::ChildWithId(MainWindow, id);
}

HWND ConfigProgram::ChildAt(size_t index) const {
    const std::vector<WindowInfo> children = driver::Children(MainWindow);
    return index < children.size() ? children[index].Handle : nullptr;
}

std::string ConfigProgram::TextAt(size_t index) const {
    return driver::TextOf(ChildAt(index));
}

bool ConfigProgram::Close(DWORD& exitCode) {
    driver::CloseWindow(MainWindow);
    return WaitForExit(exitCode);
}

bool ConfigProgram::WaitForExit(DWORD& exitCode) const {
    return Process.WaitForExit(kExitWait, exitCode);
}
