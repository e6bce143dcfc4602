// Whether a person can be asked: standard input is a terminal, not a pipe or a file.
#pragma once

bool StandardInputIsTerminal();
