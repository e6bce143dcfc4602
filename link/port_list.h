// The serial port names the user chooses from, shortest first, each name once.
#pragma once

#include <cstdint>

#include "objects/string_collection.h"

class PortList : public StringCollection {
  public:
    PortList() : StringCollection(10, 5) {}

    // Shorter names first, so COM2 comes before COM10; equal lengths byte by byte.
    std::int32_t Compare(const void* key1, const void* key2) const override;
};

// Longest port name the main window can open.
constexpr int MaxPortNameLength = 7;

// A new list of the system's serial ports, owned by the caller: the registry's serial device
// map on Windows, the serial terminals of /sys/class/tty on Linux. Names longer than
// MaxPortNameLength are left out.
PortList* BuildPortList();
