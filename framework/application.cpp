#include "framework/application.h"

#include "framework/dialog.h"
#include "framework/window.h"

Application* CurrentApplication = nullptr;

Application::Application(const char* name) : Name(name) {
    CurrentApplication = this;
}

Application::~Application() {
    if (CurrentApplication == this) {
        CurrentApplication = nullptr;
    }
}

void Application::InitInstance() {
    InitMainWindow();
    MainWindow = static_cast<Window*>(MakeWindow(MainWindow));
    if (MainWindow != nullptr) {
        MainWindow->Show(SW_SHOWNORMAL);
    }
}

void Application::InitMainWindow() {
    MainWindow = new Window(nullptr, Name);
}

bool Application::IdleAction() {
    return false;
}

bool Application::CanClose() {
    return MainWindow->CanClose();
}

void Application::Run() {
    if (MainWindow == nullptr) {
        return;
    }
    MSG message{};
    do {
        if (!ProcessMessage(message) && !IdleAction()) {
            // Returns when a message arrives; a failure only means one more pass.
            WaitMessage();
        }
    } while (!QuitReceived);
}

bool Application::ProcessMessage(MSG& message) {
    // 0: the queue is empty.
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) == 0) {
        return false;
    }
    if (message.message == WM_QUIT) {
        QuitReceived = true;
        return true;
    }
    if (!ProcessAppMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

bool Application::ProcessAppMessage(MSG& message) {
    // Each step reports nonzero when it took the message.
    if (MdiClient != nullptr && MdiClient->Handle != nullptr &&
        TranslateMDISysAccel(MdiClient->Handle, &message) != 0) {
        return true;
    }
    if (MainWindow != nullptr && MainWindow->Handle != nullptr && AcceleratorTable != nullptr &&
        TranslateAcceleratorA(MainWindow->Handle, AcceleratorTable, &message) != 0) {
        return true;
    }
    return KeyboardHandler != nullptr && KeyboardHandler->Handle != nullptr &&
           IsDialogMessageA(KeyboardHandler->Handle, &message) != 0;
}

WindowObject* Application::MakeWindow(WindowObject* window) {
    if (window == nullptr) {
        return nullptr;
    }
    if (!window->Create()) {
        window->Free();
        return nullptr;
    }
    return window;
}

INT_PTR Application::ExecDialog(Dialog* dialog) {
    if (dialog == nullptr) {
        return IDCANCEL;
    }
    Dialog* const outer = ModalDialog;
    ModalDialog = dialog;
    const INT_PTR result = dialog->Execute();
    ModalDialog = outer;
    dialog->Free();
    if (CloseAfterDialog) {
        if (ModalDialog != nullptr) {
            ModalDialog->EndDialog(IDCANCEL);
        } else {
            CloseAfterDialog = false;
            // Posted, so that the close runs after every caller of this run has returned.
            // 0 only when the queue is full; the window then stays open.
            if (MainWindow != nullptr && MainWindow->Handle != nullptr) {
                PostMessageA(MainWindow->Handle, WM_CLOSE, 0, 0);
            }
        }
    }
    return result;
}

bool Application::DeferCloseToDialogEnd() {
    if (ModalDialog == nullptr) {
        return false;
    }
    CloseAfterDialog = true;
    ModalDialog->EndDialog(IDCANCEL);
    return true;
}
