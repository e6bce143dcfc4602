#include "framework/progress_bar.h"

#include <commctrl.h>

void ProgressBar::SetupWindow() {
    Control::SetupWindow();
    SendMessageA(Handle, PBM_SETBKCOLOR, 0, RGB(0xC0, 0xC0, 0xC0));
    SetRange(0, 100);
    SetStep(1);
}

void ProgressBar::SetRange(int minimum, int maximum) {
    SendMessageA(Handle, PBM_SETRANGE, 0,
                 MAKELPARAM(static_cast<WORD>(minimum), static_cast<WORD>(maximum)));
}

void ProgressBar::SetStep(int step) {
    SendMessageA(Handle, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void ProgressBar::SetPosition(int position) {
    SendMessageA(Handle, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void ProgressBar::StepIt() {
    SendMessageA(Handle, PBM_STEPIT, 0, 0);
}
