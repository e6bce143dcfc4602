// Run-time errors of the object library: programming errors that stop the program.
#pragma once

// The numbers are the program's exit code, so a crash report names the fault.
enum RunErrorCode : int {
    RunErrorOutOfMemory = 203,  // no memory for a new object or array
    RunErrorAbstract = 211,     // an abstract operation was called
    RunErrorRange = 213,        // a collection index out of range
    RunErrorOverflow = 214,     // a full collection that cannot grow
};

// Reports the error and ends the process with the error's number as its exit code.
[[noreturn]] void RunError(int code);
