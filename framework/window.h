// An ordinary window: creation attributes, the framework's window class, placement and focus.
#pragma once

#include <windows.h>

#include "framework/window_object.h"

// Selects the constructors that attach an object to an item of a dialog template.
struct InitResourceTag {};
inline constexpr InitResourceTag InitResource{};

class Window : public WindowObject {
  public:
    // A window of the framework's class (or a control's, by a descendant) to be made by
    // Create: overlapped without a parent, a visible child with one. title is copied; an
    // empty title means no window text.
    Window(WindowObject* parent, const char* title);
    // Stands for the item itemId of the parent dialog's template, which Create takes over.
    Window(WindowObject* parent, InitResourceTag, int itemId);
    // Destroys the window while this class's handlers still answer its last messages.
    ~Window() override;

    // Defaults.
    // Any message: Receiver, Message, WParam and LParam go to DefaultProc, whose answer
    // becomes Result.
    void DefaultProcessing(MessageRecord& msg) override;

    // Dispatch.
    // Message: WM_CREATE, WM_MOVE, WM_SIZE, WM_PAINT and WM_SYSCOMMAND, then WindowObject's.
    void HandleMessage(MessageRecord& msg) override;

    // Creation and lifetime: no message.
    int GetId() override;
    void GetWindowClass(WNDCLASSA& windowClass) override;
    bool Create() override;

    // Handlers.
    // WM_ACTIVATE: LOWORD(WParam); the focus is saved on leaving and restored on return.
    void OnActivate(MessageRecord& msg) override;

    // Window's own operations, after WindowObject's.
    // Creation: no message. Makes the window from the creation attributes under parentHandle.
    virtual void CreateHandle(HWND parentHandle);
    // Draws between BeginPaint and EndPaint; nothing here.
    virtual void Paint(PAINTSTRUCT& paint);
    // WM_CREATE: no field.
    virtual void OnCreate(MessageRecord& msg);
    // WM_PAINT: no field.
    virtual void OnPaint(MessageRecord& msg);
    // WM_MOVE: no field; the placement is read back from the window.
    virtual void OnMove(MessageRecord& msg);
    // WM_SIZE: WParam, the kind of sizing.
    virtual void OnSize(MessageRecord& msg);
    // WM_SYSCOMMAND: WParam, the system command.
    virtual void OnSysCommand(MessageRecord& msg);

    void SaveFocus();
    void RestoreFocus();
    // Reads the window's rectangle into X, Y, W, H unless it is minimised or maximised.
    void UpdatePlacement();

    char* Title = nullptr;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    void* Param = nullptr;
    int Id = 0;
    WNDPROC DefaultProc = nullptr;
    HWND SavedFocus = nullptr;
};
