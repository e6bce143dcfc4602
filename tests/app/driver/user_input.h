// Acts on another program's windows as a user would, through the messages the system itself
// would send. `waitMs` is how long an action waits for the program's handler to return; 0
// posts the message and returns at once, for actions whose handler opens a modal window.
#pragma once

#include <windows.h>

#include <string>

#include "tests/app/driver/delivery.h"
#include "tests/app/driver/message_box_info.h"

namespace driver {

// How long an action waits for the program's handler by default.
constexpr DWORD kHandlerWait = 10000;

// Selects item `index` (CB_SETCURSEL) and tells the parent, as a user's choice does: WM_COMMAND
// with the combo box's id, CBN_SELCHANGE and its handle.
Delivery ChooseComboItem(HWND combo, int index, DWORD waitMs = kHandlerWait);
// The same for the item whose text is exactly `text`; Failed when there is none.
Delivery ChooseComboText(HWND combo, const std::string& text, DWORD waitMs = kHandlerWait);

// BM_CLICK: the button, check box or radio button behaves as if clicked with the mouse.
Delivery Click(HWND button, DWORD waitMs = kHandlerWait);

// Replaces the whole text of an edit field (WM_SETTEXT).
Delivery ReplaceText(HWND edit, const std::string& text);
// Types the 8-bit characters one by one (WM_CHAR) at the caret of an edit field.
Delivery TypeText(HWND edit, const std::string& text);

// Presses and releases a key in the window that has the focus in `window`'s thread. The key
// goes through the program's message queue, so its dialog-key handling (Tab, Enter, Esc)
// sees it; the result is Pending, and the caller waits for the effect.
Delivery PressKey(HWND window, UINT virtualKey);

// The system's close command (WM_SYSCOMMAND with SC_CLOSE), posted.
Delivery CloseWindow(HWND window);

// Presses the message box's OK button, or its Cancel button when it has no OK.
Delivery CloseMessageBox(const MessageBoxInfo& box);

}  // namespace driver
