// The processor priority qx7sim serves its line at.
#pragma once

// A transmitter has a processor of its own: it sends a reply, and a fault's copy right behind
// it, on the wire's time whatever else the machine does. While one of these lives, the
// simulator runs real-time where the user may (the lowest FIFO priority, not passed on to
// children), else ahead of the rest at nice -10, else as it was. Its end gives the normal
// policy back before the program's exit work runs: a leak check at exit waits for a helper
// thread of normal policy, which a real-time parent spinning on the same processor starves,
// holding that processor for seconds.
class ServingPriority {
  public:
    ServingPriority();
    ~ServingPriority();
    ServingPriority(const ServingPriority&) = delete;
    ServingPriority& operator=(const ServingPriority&) = delete;

  private:
    enum class Level { Normal, Ahead, RealTime };

    Level Got = Level::Normal;
    int NiceBefore = 0;
};
