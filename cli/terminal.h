// Whether a person can be asked: standard input is a terminal, not a pipe or a file; and the
// reading of an answer that a stop request can interrupt.
#pragma once

#include <string>

bool StandardInputIsTerminal();
// Whether a status line can be redrawn in place.
bool StandardErrorIsTerminal();

enum class LineRead { Line, End, Stopped };
// One line of standard input without its line end; Stopped as soon as a stop is requested
// (SIGINT, SIGTERM), End when the input ends first.
LineRead ReadLineUnlessStopped(std::string& line);
