// The start of the program: what must exist before the first window object, and the run.
#pragma once

// Registers the framework's window message and initialises the common controls, once, before
// any window object is constructed.
void StartFramework();

// The whole life of the program for the application class ApplicationType, whose constructor
// takes the application name: start-up, the main window, the message loop. The exit code does
// not depend on how the loop ended.
template <class ApplicationType>
int RunProgram(const char* name) {
    StartFramework();
    ApplicationType application(name);
    application.InitInstance();
    application.Run();
    return 0;
}
