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

    // The virtual operations in their fixed order. A handler's line names the message it
    // answers and the MessageRecord fields it reads; every handler may set Result.

    // Defaults: what becomes of a message that no handler takes.
    // Any message: the system's default for Receiver, Message, WParam and LParam.
    virtual void DefaultProcessing(MessageRecord& msg) = 0;
    // A command id that no object claims: LOWORD(WParam) goes up to the parent.
    virtual void DefaultCommand(MessageRecord& msg);
    // A child's notification that this parent does not handle: DefaultProcessing.
    virtual void DefaultChildNotify(MessageRecord& msg);
    // A notification this control does not handle: its parent gets it under the control's id.
    virtual void DefaultNotify(MessageRecord& msg);

    // Dispatch: from the message to its handler.
    // Every message: Message picks the handler; one without a handler gets DefaultProcessing.
    virtual void HandleMessage(MessageRecord& msg);
    // WM_COMMAND from a menu or an accelerator (LParam 0): id is LOWORD(WParam).
    virtual void DispatchCommand(MessageRecord& msg, UINT id);
    // WM_COMMAND or WM_HSCROLL/WM_VSCROLL from a child: childId is the child's id; WParam
    // holds the notification code.
    virtual void DispatchChildNotify(MessageRecord& msg, UINT childId);
    // WM_COMMAND or WM_HSCROLL/WM_VSCROLL to this control's own object: code is HIWORD(WParam)
    // of a command, LOWORD(WParam) of a scroll.
    virtual void DispatchNotify(MessageRecord& msg, UINT code);

    // Creation and lifetime: no message.
    // The window's id among its parent's children; -1 here.
    virtual int GetId();
    // The window class the window is made of.
    virtual const char* GetClassName();
    // Fills the record that Register registers the class with.
    virtual void GetWindowClass(WNDCLASSA& windowClass) = 0;
    // True when the class exists, registered now or before.
    virtual bool Register();
    // Makes the window; false when the system refuses it.
    virtual bool Create() = 0;
    // Moves this control's part of a transfer record; returns its size in bytes for every
    // direction.
    virtual std::int32_t Transfer(void* buffer, int direction);
    // Runs once the window exists: makes the children, then fills them from the transfer record.
    virtual void SetupWindow();
    // Destroys the window, if any; the object stays.
    virtual void DestroyHandle();
    // Whether the window may close now; true when every child agrees.
    virtual bool CanClose();

    // Handlers.
    // WM_ACTIVATE: LOWORD(WParam), WA_INACTIVE or not.
    virtual void OnActivate(MessageRecord& msg);
    // WM_COMMAND: WParam (id and notification code) and LParam (the control, or 0).
    virtual void OnCommand(MessageRecord& msg);
    // WM_HSCROLL: WParam (scroll code) and LParam (the scroll bar, or 0 for the window's own).
    virtual void OnHScroll(MessageRecord& msg);
    // WM_VSCROLL: as OnHScroll.
    virtual void OnVScroll(MessageRecord& msg);
    // WM_CLOSE: no field.
    virtual void OnClose(MessageRecord& msg);
    // WM_DESTROY: no field.
    virtual void OnDestroy(MessageRecord& msg);
    // WM_QUERYENDSESSION: no field; Result answers whether the session may end.
    virtual void OnQueryEndSession(MessageRecord& msg);
    // WM_COMMAND with ExitCommandId: no field.
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
