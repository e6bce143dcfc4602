// Holds a log against other writers, also in other processes and on a shared folder, from the
// read of its last line to the append, so that two records never chain to the same line.
#pragma once

#include <cstdio>

// Waits until the file is held; false when the system cannot lock it. The hold ends when the
// file is closed.
bool HoldLog(std::FILE* file);
