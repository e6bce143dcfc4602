// Reads the windows of another program the way a test needs them: found by title, listed in
// creation order, with texts as the program's 8-bit bytes, and pixels as shown on screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/app/driver/message_box_info.h"
#include "tests/app/driver/window_info.h"

namespace driver {

// How long a read waits for a busy program to answer a message.
constexpr DWORD kAnswerWait = 5000;

// Calls `condition` every 20 ms until it holds; false when it still fails after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The visible top-level window titled exactly `title` of the process (0: of any process),
// waiting up to `timeoutMs` for it to appear; null when there is none.
HWND FindTopLevelWindow(DWORD processId, const std::string& title, DWORD timeoutMs);

// The window's text through WM_GETTEXT, which reaches into the owning process (unlike
// GetWindowTextA, which reads only a foreign window's caption); empty when it does not answer.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
WindowInfo Describe(HWND window);

// The direct children of `parent` in Z order, which is their creation order (and the tab
// order) as long as the program does not reorder them.
std::vector<WindowInfo> Children(HWND parent);

// The child with control id `id`, or null.
HWND ChildWithId(HWND parent, int id);

RECT ClientRect(HWND window);

// The items of a combo box in list order, and the selected index (CB_ERR, -1, for none).
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);

// BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int CheckState(HWND button);

// The window that has the keyboard focus in the thread that owns `window`, or null.
HWND FocusedWindow(HWND window);

// The message box that the process shows, waiting up to `timeoutMs` for it; false when
// there is none.
bool FindMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo& box);

// The colour of a screen pixel, or CLR_INVALID when the screen cannot be read there.
COLORREF ScreenPixel(int x, int y);
// The colour shown at a point of the window's client area.
COLORREF WindowPixel(HWND window, int clientX, int clientY);

}  // namespace driver
