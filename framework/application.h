// The program's run: the main window, the message loop and the modal run of dialogs.
#pragma once

#include <windows.h>

#include "objects/base_object.h"

class Dialog;
class Window;
class WindowObject;

class Application : public BaseObject {
  public:
    // Becomes CurrentApplication. The main window is brought up by InitInstance, which the
    // owner calls right after construction: a constructor cannot reach the InitMainWindow of
    // a derived application.
    explicit Application(const char* name);
    // Disposes nothing it points at.
    ~Application() override;

    virtual void InitInstance();
    virtual void InitMainWindow();
    // Returns whether it did something; false lets the loop wait for the next message.
    virtual bool IdleAction();
    virtual bool CanClose();

    // Returns when WM_QUIT was taken from the queue, or at once without a main window.
    void Run();
    // False when the queue was empty.
    bool ProcessMessage(MSG& message);
    // True when the MDI keys, the accelerators or the keyboard handler took the message.
    bool ProcessAppMessage(MSG& message);
    // Creates the window; on failure disposes the object and returns none.
    WindowObject* MakeWindow(WindowObject* window);
    // Runs a dialog modally, disposes it and returns its result; IDCANCEL without a dialog.
    // A close of the main window meanwhile ends the dialog as cancelled, and the main window
    // closes once the dialog is gone.
    INT_PTR ExecDialog(Dialog* dialog);
    // While ExecDialog runs a dialog: ends it as cancelled, remembers the close and returns
    // true. The dialog's run is further up the stack and its caller may still use the main
    // window, so the main window cannot go before that run has returned.
    bool DeferCloseToDialogEnd();

    const char* Name = nullptr;
    Window* MainWindow = nullptr;
    WindowObject* KeyboardHandler = nullptr;
    WindowObject* MdiClient = nullptr;
    HACCEL AcceleratorTable = nullptr;
    bool QuitReceived = false;
    // The innermost dialog that ExecDialog runs now, or none.
    Dialog* ModalDialog = nullptr;
    // The main window was asked to close while a dialog ran.
    bool CloseAfterDialog = false;
};

// The application object of the program, from the start of its constructor.
extern Application* CurrentApplication;
