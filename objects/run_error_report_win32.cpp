#include <windows.h>

#include <cstdio>

#include "objects/run_error_report.h"

namespace {

// A window program has no console, so standard error reaches nobody; a console program (every
// test) keeps to standard error, where no box can stop it.
bool IsWindowProgram() {
    // GetModuleHandleA(nullptr) cannot fail: it is the image of the running program.
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return headers->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

DWORD WINAPI ShowBox(LPVOID message) {
    // The pressed button, or 0 when no box could be shown; either way the answer does not
    // matter: the program ends whatever the user presses.
    MessageBoxA(nullptr, static_cast<const char*>(message), "Runtime error",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 0;
}

}  // namespace

void ReportRunError(int code, const char* text) {
    char message[96];
    std::snprintf(message, sizeof message, "Runtime error %d: %s", code, text);
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    if (!IsWindowProgram()) {
        return;
    }
    // The box gets a thread of its own: a box on this thread would run a message loop that
    // hands timer and posted messages to the windows of a program in a broken state.
    // The thread's handle, or nullptr when no thread could be made: the box then runs here.
    HANDLE thread = CreateThread(nullptr, 0, ShowBox, message, 0, nullptr);
    if (thread == nullptr) {
        ShowBox(message);
        return;
    }
    // WAIT_OBJECT_0 once the box is closed; nothing else ends an infinite wait.
    WaitForSingleObject(thread, INFINITE);
    // Nonzero on success; the program is ending, so a handle that would not close is moot.
    CloseHandle(thread);
}
