#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "cli/stop_signals.h"
#include "cli/terminal.h"

bool StandardInputIsTerminal() {
    // Nonzero for a character device: the console (or, as on POSIX, a serial line).
    return _isatty(_fileno(stdin)) != 0;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

bool StandardOutputTakesCursorMoves() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // Both are nonzero on success; a console older than Windows 10 refuses the mode.
    return GetConsoleMode(output, &mode) != 0 &&
           SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void KeepStandardOutputLineEnds() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

int StandardOutputColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    // Nonzero on success; the window's width, not the buffer's.
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

LineRead ReadLineUnlessStopped(std::string& line) {
    // Ctrl-C ends a console read, so the stop is seen as soon as getline returns.
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (StopRequested()) {
        return LineRead::Stopped;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return got ? LineRead::Line : LineRead::End;
}
