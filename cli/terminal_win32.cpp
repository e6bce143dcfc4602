#include <io.h>

#include <cstdio>

#include "cli/terminal.h"

bool StandardInputIsTerminal() {
    // Nonzero for a character device: the console (or, as on POSIX, a serial line).
    return _isatty(_fileno(stdin)) != 0;
}
