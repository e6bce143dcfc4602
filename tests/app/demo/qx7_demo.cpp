// Plays the user of a running configuration tool for scripts/run.sh and the release's smoke
// test: picks the port, turns on the live reading and leaves the window showing the
// transmitter's values; later closes it.
//   qx7_demo show PORT SECONDS   pick PORT, check "Číst", wait SECONDS, print the fields
//   qx7_demo wait TEXT SECONDS   wait at most SECONDS until a field shows TEXT, print the fields
//   qx7_demo close               close the tool's window and wait for it to go
//   qx7_demo gap SECONDS         for SECONDS, how long the window once took to answer
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"

namespace {

constexpr char kTitle[] = "QX7 config";
constexpr int kPortBoxId = 101;
constexpr int kReadCheckId = 112;
constexpr DWORD kStartWait = 60000;

// The program's texts are in its 8-bit code page; the terminal that runs the demo reads UTF-8.
std::string ForTerminal(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    // Both return the count converted, 0 on failure (then the text goes out unchanged).
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                          &wide[0], static_cast<int>(wide.size()));
    if (units <= 0) {
        return text;
    }
    std::string utf8(static_cast<size_t>(units) * 3, '\0');
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &utf8[0],
                                          static_cast<int>(utf8.size()), nullptr, nullptr);
    if (bytes <= 0) {
        return text;
    }
    utf8.resize(static_cast<size_t>(bytes));
    return utf8;
}

int Fail(const std::string& text, int code) {
    std::fprintf(stderr, "qx7_demo: %s\n", ForTerminal(text).c_str());
    return code;
}

// A message box in front of the window is reported and closed; true when there was one.
bool ReportMessageBox(DWORD processId) {
    MessageBoxInfo box;
    if (!driver::FindMessageBox(processId, 500, box)) {
        return false;
    }
    std::fprintf(stderr, "qx7_demo: the program says \"%s\" (%s)\n", ForTerminal(box.Text).c_str(),
                 ForTerminal(box.Caption).c_str());
    driver::CloseMessageBox(box);
    return true;
}

void PrintFields(HWND window) {
    for (const WindowInfo& child : driver::Children(window)) {
        if (!child.Text.empty()) {
            std::printf("  %s\n", ForTerminal(child.Text).c_str());
        }
    }
}

int Show(HWND window, const std::string& port, int seconds) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HWND portBox = driver::ChildWithId(window, kPortBoxId);
    HWND readCheck = driver::ChildWithId(window, kReadCheckId);
    if (portBox == nullptr || readCheck == nullptr) {
        return Fail("the window has no port list (101) or no \"Read\" check box (112)", 3);
    }
    std::string ports;
    for (const std::string& name : driver::ComboItems(portBox)) {
        ports += " " + name;
    }
    std::printf("qx7_demo: ports:%s\n", ports.c_str());
    // Connecting reads every setting, a few seconds at most; a refusal opens a message box.
    if (driver::ChooseComboText(portBox, port, 15000) == Delivery::Failed) {
        return Fail(port + " is not in the port list", 4);
    }
    if (ReportMessageBox(processId)) {
        return 5;
    }
    if (driver::Click(readCheck) != Delivery::Handled) {
        return Fail("the \"Read\" check box did not answer", 6);
    }
    Sleep(static_cast<DWORD>(seconds) * 1000);
    PrintFields(window);
    return 0;
}

// The text is compared as the program holds it, in its 8-bit code page; numbers are ASCII.
int Wait(HWND window, const std::string& text, int seconds) {
    const bool shown = driver::WaitUntil(
        [window, &text] {
            for (const WindowInfo& child : driver::Children(window)) {
                if (child.Text == text) {
                    return true;
                }
            }
            return false;
        },
        static_cast<DWORD>(seconds) * 1000);
    PrintFields(window);
    return shown ? 0 : Fail("no field showed \"" + text + "\"", 8);
}

int Close(HWND window) {
    driver::CloseWindow(window);
    if (!driver::WaitUntil([window] { return IsWindow(window) == FALSE; }, 10000)) {
        return Fail("the window did not close", 7);
    }
    return 0;
}

// The longest the window left a message unhandled: WM_NULL is sent over and over, and the
// slowest answer is at least the longest gap between two messages it handled.
int Gap(HWND window, int seconds) {
    const DWORD start = GetTickCount();
    DWORD longest = 0;
    while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        const DWORD sent = GetTickCount();
        DWORD_PTR result = 0;
        // Nonzero once the window has handled the message; 0 when it is gone or hung.
        if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) == 0) {
            return Fail("the window did not answer within 10 s", 7);
        }
        longest = std::max(longest, GetTickCount() - sent);
        Sleep(2);
    }
    std::printf("longest unanswered: %lu ms\n", static_cast<unsigned long>(longest));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    if (!((action == "show" || action == "wait") && argc == 4) &&
        !(action == "close" && argc == 2) && !(action == "gap" && argc == 3)) {
        return Fail(
            "usage: qx7_demo show PORT SECONDS | qx7_demo wait TEXT SECONDS | "
            "qx7_demo close | qx7_demo gap SECONDS",
            2);
    }
    if (action == "gap") {
        HWND window = driver::FindTopLevelWindow(0, kTitle, 2000);
        return window == nullptr ? Fail(std::string("no window titled \"") + kTitle + "\"", 1)
                                 : Gap(window, std::atoi(argv[2]));
    }
    HWND window = driver::FindTopLevelWindow(0, kTitle, action == "close" ? 2000 : kStartWait);
    if (window == nullptr) {
        return Fail(std::string("no window titled \"") + kTitle + "\"", 1);
    }
    if (action == "show") {
        return Show(window, argv[2], std::atoi(argv[3]));
    }
    if (action == "wait") {
        return Wait(window, argv[2], std::atoi(argv[3]));
    }
    return Close(window);
}
