// SIGINT and SIGTERM as a request to stop at the next safe point: between two polls, two
// writes or two reads, never in the middle of an exchange or a file.
#pragma once

// While one lives, the two signals set a flag instead of ending the program.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

bool StopRequested();
// Notes a stop signal taken synchronously (see StopSignalHold) as the handler notes one.
void NoteStopSignal(int number);
// The exit code for the signal that arrived (130 or 143); 0 when none did.
int StopExitCode();
