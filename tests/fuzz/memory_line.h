// The byte source behind the reply-reader fuzzer's in-memory serial port.
// Global, because SerialPort's members have nowhere else to find it; only this harness uses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MemoryLine {
    // The fuzzer's input: each read takes one byte that decides how many bytes this read
    // brings (0 acts as a read time-out), then that many bytes of line data.
    const std::uint8_t* Input = nullptr;
    std::size_t Size = 0;
    std::size_t Position = 0;
    // Every byte handed to the reader since the last request, in order.
    std::vector<std::uint8_t> Delivered;
    // Reads must land inside this buffer.
    const std::uint8_t* Begin = nullptr;
    const std::uint8_t* End = nullptr;
    int Purges = 0;
};

extern MemoryLine Line;
