#include "framework/window_procedure.h"

#include "framework/window_object.h"

UINT ObjectPtrMessage = 0;
WindowObject* CreatingObject = nullptr;

void RegisterObjectPtrMessage() {
    if (ObjectPtrMessage == 0) {
        // 0 means failure: then no window can be asked for its object, and every lookup
        // answers none.
        ObjectPtrMessage = RegisterWindowMessageA("AppObjectPtr");
    }
}

// Kept even when nothing in C++ calls it: its only caller is the assembly routine.
extern "C" __attribute__((used)) LRESULT CALLBACK ObjectWindowProc(WindowObject* object,
                                                                   HWND window, UINT message,
                                                                   WPARAM wParam, LPARAM lParam) {
    MessageRecord msg{window, message, wParam, lParam, 1};
    DeliverMessage(object, msg);
    // The handler may have disposed the object; only the record is still ours.
    return msg.Result;
}

void DeliverMessage(WindowObject* object, MessageRecord& msg) {
    // Message 0 is WM_NULL, never the registered message.
    if (ObjectPtrMessage != 0 && msg.Message == ObjectPtrMessage) {
        msg.Result = reinterpret_cast<LRESULT>(object);
        return;
    }
    object->HandleMessage(msg);
}

WindowObject* ObjectFromHandle(HWND window) {
    if (window == nullptr || ObjectPtrMessage == 0) {
        return nullptr;
    }
    // 0: no procedure, or not a window at all.
    auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (procedure == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<WindowObject*>(
        CallWindowProcA(procedure, window, ObjectPtrMessage, 0, 0));
}

LRESULT CALLBACK InitialWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* object = CreatingObject;
    if (object == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    object->Handle = window;
    // The previous procedure is this one, so the result is not kept.
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->Thunk));
    // The first message is dispatched like every later one, through the thunk.
    const LRESULT result = object->Thunk(window, message, wParam, lParam);
    CreatingObject = nullptr;
    return result;
}
