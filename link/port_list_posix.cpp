// The port list from the serial terminals that the kernel knows a device for.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "link/port_list.h"

namespace {

bool IsSerialName(const char* name) {
    static const char* const prefixes[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"};
    for (const char* prefix : prefixes) {
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

PortList* BuildPortList() {
    auto* ports = new PortList();
    DIR* dir = opendir("/sys/class/tty");
    if (dir == nullptr) {
        return ports;
    }
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (!IsSerialName(name) ||
            std::strlen(name) > static_cast<std::size_t>(MaxPortNameLength)) {
            continue;
        }
        // Legacy ttyS entries exist without hardware; only those with a device are ports.
        struct stat st;
        std::string device = std::string("/sys/class/tty/") + name + "/device";
        if (stat(device.c_str(), &st) != 0) {
            continue;
        }
        char* copy = NewString(name);
        std::int32_t before = ports->GetCount();
        ports->Insert(copy);
        if (ports->GetCount() == before) {
            ports->FreeItem(copy);
        }
    }
    closedir(dir);
    return ports;
}
