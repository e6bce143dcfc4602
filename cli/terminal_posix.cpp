#include <unistd.h>

#include "cli/terminal.h"

bool StandardInputIsTerminal() {
    // 1 for a terminal; 0 with errno set for anything else.
    return isatty(STDIN_FILENO) == 1;
}
