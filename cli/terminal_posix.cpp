#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "cli/stop_signals.h"
#include "cli/terminal.h"

bool StandardInputIsTerminal() {
    // 1 for a terminal; 0 with errno set for anything else.
    return isatty(STDIN_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool StandardOutputTakesCursorMoves() {
    const char* type = std::getenv("TERM");
    return isatty(STDOUT_FILENO) == 1 && type != nullptr && type[0] != '\0' &&
           std::strcmp(type, "dumb") != 0;
}

void KeepStandardOutputLineEnds() {}

int StandardOutputColumns() {
    winsize size{};
    // 0 on success.
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

LineRead ReadLineUnlessStopped(std::string& line) {
    line.clear();
    // Byte by byte, so nothing after the line end is taken from the next question's answer;
    // a short poll, because the signal handler leaves a blocked read waiting.
    for (;;) {
        if (StopRequested()) {
            return LineRead::Stopped;
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, 100);  // >0 readable, 0 time-out, -1 EINTR
        if (ready <= 0) {
            continue;
        }
        char byte = 0;
        const ssize_t got = read(STDIN_FILENO, &byte, 1);  // 1 byte, 0 at the end, -1 error
        if (got < 0) {
            continue;
        }
        if (got == 0) {
            return line.empty() ? LineRead::End : LineRead::Line;
        }
        if (byte == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return LineRead::Line;
        }
        line += byte;
    }
}
