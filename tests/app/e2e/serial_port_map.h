// The registry's serial device map of the test prefix, from which the program builds its port
// list when it starts.
#pragma once

#include <string>
#include <vector>

class SerialPortMap {
  public:
    // Replaces every value of the map with one value per name, in this order (a name given
    // twice is two values). Wine refills the map when its server starts, so nothing outlives
    // the test run. False when the map could not be written.
    static bool Replace(const std::vector<std::string>& portNames);
};
