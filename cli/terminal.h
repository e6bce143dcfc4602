// Whether a person can be asked: standard input is a terminal, not a pipe or a file; and the
// reading of an answer that a stop request can interrupt.
#pragma once

#include <string>

bool StandardInputIsTerminal();
// Whether a status line can be redrawn in place.
bool StandardErrorIsTerminal();
// Whether standard output is a terminal that takes the cursor movements (ESC [ n F) and line
// erasures (ESC [ 2 K) that redraw a block of lines in place; on a Windows console this
// switches them on.
bool StandardOutputTakesCursorMoves();
// Standard output passes "\n" as it is: on Windows it would otherwise become CR LF, which
// line-based formats for other programs (InfluxDB line protocol) do not expect.
void KeepStandardOutputLineEnds();
// The width of the terminal on standard output in characters; 0 when unknown.
int StandardOutputColumns();

enum class LineRead { Line, End, Stopped };
// One line of standard input without its line end; Stopped as soon as a stop is requested
// (SIGINT, SIGTERM), End when the input ends first.
LineRead ReadLineUnlessStopped(std::string& line);
