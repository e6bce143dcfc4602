// The program's entry: the framework runs the application until its window is closed.
#include <windows.h>

#include "app/config_application.h"
#include "framework/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProgram<ConfigApplication>("QX7 config");
}
