// Small window objects for the framework tests that record what the dispatch does with them.
#pragma once

#include <windows.h>

#include <winternl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/window.h"

// Dispatches everything that is waiting in the thread's queue; true when WM_QUIT was among it.
inline bool DrainQueue() {
    bool quit = false;
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

inline BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

inline BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM counter) {
    CountWindow(window, counter);
    EnumChildWindows(window, CountWindow, counter);
    return TRUE;
}

// Every window of the calling thread, top-level and child.
inline int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndChildren,
                      reinterpret_cast<LPARAM>(&count));
    return count;
}

// The GDI objects of the process, counted in the shared handle table that the process
// environment block points at (GetGuiResources answers 0 under Wine). The entry layout is
// Wine's; -1 when the process has no such table.
inline int CountGdiObjects() {
    struct HandleEntry {
        std::uint64_t Object;
        std::uint32_t Owner;
        std::uint16_t Unique;
        std::uint8_t Type;
        std::uint8_t Flags;
        std::uint64_t UserPointer;
    };
    constexpr int HandleCount = 0x10000;
    PROCESS_BASIC_INFORMATION process{};
    // A negative status: no answer, and nothing to count.
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process,
                                  sizeof process, nullptr) < 0) {
        return -1;
    }
    const auto* peb = reinterpret_cast<const std::uint8_t*>(process.PebBaseAddress);
    const std::size_t tableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const HandleEntry* table = nullptr;
    std::memcpy(&table, peb + tableOffset, sizeof table);
    if (table == nullptr) {
        return -1;
    }
    int count = 0;
    for (int i = 0; i < HandleCount; ++i) {
        if (table[i].Type != 0) {
            ++count;
        }
    }
    return count;
}

// A framework window that notes the routing decisions made on it.
class RecordingWindow : public Window {
  public:
    RecordingWindow(WindowObject* parent, const char* title = "",
                    std::vector<std::string>* log = nullptr, const char* name = "")
        : Window(parent, title), Log(log), Name(name) {}
    ~RecordingWindow() override {
        if (Log != nullptr) {
            Log->push_back(Name);
        }
    }

    void DefaultProcessing(MessageRecord& msg) override {
        if (msg.Message == WM_COMMAND) {
            DefaultCommandReceivers.push_back(msg.Receiver);
        }
        Window::DefaultProcessing(msg);
    }
    void HandleMessage(MessageRecord& msg) override {
        if (msg.Message >= WM_USER && msg.Message < 0x8000) {
            UserMessages.push_back(msg.Message);
        }
        ++HandledMessages;
        Window::HandleMessage(msg);
    }
    void DispatchChildNotify(MessageRecord& msg, UINT childId) override {
        ChildNotifies.push_back(childId);
        NotifyWParams.push_back(msg.WParam);
        Window::DispatchChildNotify(msg, childId);
    }
    bool CanClose() override { return MayClose && Window::CanClose(); }
    void SetupWindow() override {
        ++SetupCount;
        Window::SetupWindow();
    }
    std::int32_t Transfer(void* buffer, int direction) override {
        Transfers.push_back(buffer);
        TransferDirections.push_back(direction);
        return TransferBytes;
    }

    std::vector<std::string>* Log;
    std::string Name;
    bool MayClose = true;
    int HandledMessages = 0;
    int SetupCount = 0;
    std::int32_t TransferBytes = 0;
    std::vector<HWND> DefaultCommandReceivers;
    std::vector<UINT> UserMessages;
    std::vector<UINT> ChildNotifies;
    std::vector<WPARAM> NotifyWParams;
    std::vector<void*> Transfers;
    std::vector<int> TransferDirections;
};

// A system push button driven by an object, as the control classes do it: the standard
// class, subclassed after creation.
class ButtonWindow : public RecordingWindow {
  public:
    ButtonWindow(WindowObject* parent, int id, int x = 10, int y = 10)
        : RecordingWindow(parent, "Button") {
        Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
        Id = id;
        X = x;
        Y = y;
        W = 80;
        H = 24;
    }
    const char* GetClassName() override { return "Button"; }
    bool Register() override { return true; }
};
