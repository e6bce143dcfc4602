// The object behind every window, control and dialog: child list, flags and message dispatch.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/message_record.h"
#include "objects/base_object.h"

// Flags of a window object; a flag test is true when all bits of the mask are set.
constexpr std::uint32_t FlagKeyboardHandler = 1;
constexpr std::uint32_t FlagFromResource = 2;
constexpr std::uint32_t FlagTransfer = 4;

// Directions of Transfer: 0 only reports the size of the control's part of the record.
constexpr int TransferSize = 0;
constexpr int TransferGet = 1;
constexpr int TransferSet = 2;

// The command that closes the main window from anywhere in its tree.
constexpr UINT ExitCommandId = 0xFF14;

class WindowObject : public BaseObject {
  public:
    // Links the object into parent's child list (none: a top-level window) and binds its
    // thunk. No window is created.
    explicit WindowObject(WindowObject* parent);

    // Disposes the children, oldest first, leaves the parent's list and frees the thunk. The
    // window itself must be gone by then: the classes that make windows destroy it in their
    // own destructors, while their handlers can still answer the messages of its destruction.
    ~WindowObject() override;

    virtual void DefaultProcessing(MessageRecord& msg) = 0;
    virtual void DefaultCommand(MessageRecord& msg);
    virtual void DefaultChildNotify(MessageRecord& msg);
    virtual void DefaultNotify(MessageRecord& msg);
    virtual void HandleMessage(MessageRecord& msg);
    virtual void DispatchCommand(MessageRecord& msg, UINT id);
    virtual void DispatchChildNotify(MessageRecord& msg, UINT childId);
    virtual void DispatchNotify(MessageRecord& msg, UINT code);
    virtual int GetId();
    virtual const char* GetClassName();
    virtual void GetWindowClass(WNDCLASSA& windowClass) = 0;
    virtual bool Register();
    virtual bool Create() = 0;
    // Moves this control's part of a transfer record; returns its size in bytes for every
    // direction.
    virtual std::int32_t Transfer(void* buffer, int direction);
    virtual void SetupWindow();
    virtual void DestroyHandle();
    virtual bool CanClose();
    virtual void OnActivate(MessageRecord& msg);
    virtual void OnCommand(MessageRecord& msg);
    virtual void OnHScroll(MessageRecord& msg);
    virtual void OnVScroll(MessageRecord& msg);
    virtual void OnClose(MessageRecord& msg);
    virtual void OnDestroy(MessageRecord& msg);
    virtual void OnQueryEndSession(MessageRecord& msg);
    virtual void OnExitCommand(MessageRecord& msg);

    void AddChild(WindowObject* child);
    void RemoveChild(WindowObject* child);

    // Calls action(child) for every child, oldest first. The next child is read before the
    // action runs, so the action may dispose the child it receives.
    template <class Action>
    void ForEach(Action&& action) {
        if (LastChild == nullptr) {
            return;
        }
        WindowObject* last = LastChild;
        WindowObject* child = last->NextSibling;
        for (;;) {
            WindowObject* next = child->NextSibling;
            const bool wasLast = child == last;
            action(child);
            if (wasLast) {
                return;
            }
            child = next;
        }
    }

    // The first child, oldest first, for which test(child) holds, or none.
    template <class Test>
    WindowObject* FirstThat(Test&& test) {
        if (LastChild == nullptr) {
            return nullptr;
        }
        WindowObject* child = LastChild;
        do {
            child = child->NextSibling;
            if (test(child)) {
                return child;
            }
        } while (child != LastChild);
        return nullptr;
    }

    // Creates the children oldest first and stops at the first that fails.
    bool CreateChildren();
    // Walks TransferBuffer through the children that have FlagTransfer; nothing without one.
    void TransferData(int direction);
    // Asks CanClose (the application's for the main window) and on true disposes the object.
    // The main window's close waits for a running modal dialog, which it ends as cancelled.
    void CloseWindow();
    void Show(int showCommand);
    void Enable();
    void Disable();
    void EnableKeyboardHandler() { Flags |= FlagKeyboardHandler; }
    void EnableTransfer() { Flags |= FlagTransfer; }
    bool IsFlagSet(std::uint32_t mask) const { return (Flags & mask) == mask; }

    WindowObject* Parent = nullptr;
    WindowObject* LastChild = nullptr;
    WindowObject* NextSibling = nullptr;
    WNDPROC Thunk = nullptr;
    HWND Handle = nullptr;
    std::uint32_t Flags = 0;
    void* TransferBuffer = nullptr;

  protected:
    bool IsMainWindow() const;
};
