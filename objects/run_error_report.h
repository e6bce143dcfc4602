// Where a run-time error is told before the program ends: one file per platform.
#pragma once

// Tells the user of the program that it stops with run-time error code, described by text;
// returns once that has been told.
void ReportRunError(int code, const char* text);
