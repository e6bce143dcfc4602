// The samples of one calibration point as they were taken, about one a second from the moment
// the probe went into the solution until the point was accepted, so that a reviewer can see
// for themselves whether the probe had settled.
#pragma once

#include <cstddef>

struct TraceSample {
    float Seconds = 0.0f;      // since the probe went into the solution
    float Voltage = 0.0f;      // mV
    float Temperature = 0.0f;  // degrees Celsius
};

// A growable run of samples. Like Text, it leaves out the C++ run-time's throwing containers so
// that the window program can keep records without them.
class PointTrace {
  public:
    PointTrace() = default;
    PointTrace(const PointTrace& other) { Append(other); }
    PointTrace(PointTrace&& other) noexcept;
    PointTrace& operator=(const PointTrace& other);
    PointTrace& operator=(PointTrace&& other) noexcept;
    ~PointTrace() { delete[] Samples; }

    std::size_t Size() const { return Count; }
    bool Empty() const { return Count == 0; }
    const TraceSample& operator[](std::size_t i) const { return Samples[i]; }

    void Add(const TraceSample& sample);
    void Clear() { Count = 0; }

  private:
    void Append(const PointTrace& other);

    TraceSample* Samples = nullptr;
    std::size_t Count = 0;
    std::size_t Capacity = 0;
};
