#include "records/point_trace.h"

PointTrace::PointTrace(PointTrace&& other) noexcept
    : Samples(other.Samples), Count(other.Count), Capacity(other.Capacity) {
    other.Samples = nullptr;
    other.Count = 0;
    other.Capacity = 0;
}

PointTrace& PointTrace::operator=(const PointTrace& other) {
    if (this != &other) {
        Clear();
        Append(other);
    }
    return *this;
}

PointTrace& PointTrace::operator=(PointTrace&& other) noexcept {
    if (this != &other) {
        delete[] Samples;
        Samples = other.Samples;
        Count = other.Count;
        Capacity = other.Capacity;
        other.Samples = nullptr;
        other.Count = 0;
        other.Capacity = 0;
    }
    return *this;
}

void PointTrace::Add(const TraceSample& sample) {
    if (Count == Capacity) {
        const std::size_t capacity = Capacity != 0 ? Capacity * 2 : 64;
        // The program's operator new ends it with a run-time error when memory is out.
        TraceSample* grown = new TraceSample[capacity];
        for (std::size_t i = 0; i < Count; ++i) {
            grown[i] = Samples[i];
        }
        delete[] Samples;
        Samples = grown;
        Capacity = capacity;
    }
    Samples[Count++] = sample;
}

void PointTrace::Append(const PointTrace& other) {
    for (std::size_t i = 0; i < other.Count; ++i) {
        Add(other.Samples[i]);
    }
}
