// The program's entry: the framework runs the application until its window is closed.
#include <windows.h>

#include "app/config_application.h"
#include "app/ui_texts.h"
#include "framework/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProgram<ConfigApplication>(UiText::ProgramName);
}
