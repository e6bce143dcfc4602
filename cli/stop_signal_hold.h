// Takes SIGINT and SIGTERM synchronously while threads run: they are blocked in the calling
// thread and in every thread started while the hold lives, and the calling thread notes them
// as the stop handler would (StopRequested) while it waits for the threads. No handler then
// interrupts a thread in the middle of its serial I/O or of a join, which under 32-bit
// emulation has left a joining thread's state corrupt.
#pragma once

#include <functional>

class StopSignalHold {
  public:
    StopSignalHold();
    ~StopSignalHold();
    StopSignalHold(const StopSignalHold&) = delete;
    StopSignalHold& operator=(const StopSignalHold&) = delete;

    // Returns once done() is true, noting the stop signals that arrive meanwhile.
    void WaitUntil(const std::function<bool()>& done);

  private:
    // The calling thread's mask before the hold, in the platform's own form.
    alignas(8) unsigned char Previous[128] = {};
};
