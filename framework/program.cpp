#include "framework/program.h"

#include <windows.h>

#include <commctrl.h>

#include "framework/window_procedure.h"

void StartFramework() {
    RegisterObjectPtrMessage();
    // No result: the progress bar class exists afterwards.
    InitCommonControls();
}
