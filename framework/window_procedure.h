// Where the system's window procedure calls meet the framework objects.
#pragma once

#include <windows.h>

#include "framework/message_record.h"

class WindowObject;

// The registered message "AppObjectPtr" by which a window's own procedure names its object;
// 0 until RegisterObjectPtrMessage.
extern UINT ObjectPtrMessage;

// The object whose window CreateWindowExA is making right now, or none.
extern WindowObject* CreatingObject;

// Registers "AppObjectPtr" once, before any window exists.
void RegisterObjectPtrMessage();

// Where every thunk call ends up, with the object from the thunk's cell as an ordinary
// argument (the assembly routine of the thunk page calls it by this fixed name).
extern "C" LRESULT CALLBACK ObjectWindowProc(WindowObject* object, HWND window, UINT message,
                                             WPARAM wParam,
                                             LPARAM lParam) __asm__("qx7_ObjectWindowProc");

// Answers ObjectPtrMessage with the object itself; hands every other message to its dispatch.
void DeliverMessage(WindowObject* object, MessageRecord& msg);

// The object bound to a window, found by asking the window's own procedure; none for 0, for
// a window without a procedure and for one that no object answers for.
WindowObject* ObjectFromHandle(HWND window);

// The class procedure of "AppWindow": binds a new window to CreatingObject at its first
// message; a window made while no object is creating stays with DefWindowProcA.
LRESULT CALLBACK InitialWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
