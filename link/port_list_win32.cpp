// The port list from the registry's map of serial devices, whose value data are port names.
#include <windows.h>

#include <cstring>

#include "link/port_list.h"

namespace {

// The data of one value as a port name, or none when it is not a whole name that fits.
// Some drivers store the name without its terminating NUL; the data size then ends it.
bool PortNameOf(const unsigned char* data, DWORD size, char* name) {
    const void* end = std::memchr(data, 0, size);
    std::size_t length = end != nullptr ? static_cast<const unsigned char*>(end) - data : size;
    // Eight bytes without a terminator may be the start of a longer name: not listed.
    if (length == 0 || length > static_cast<std::size_t>(MaxPortNameLength)) {
        return false;
    }
    std::memcpy(name, data, length);
    name[length] = '\0';
    return true;
}

}  // namespace

PortList* BuildPortList() {
    auto* ports = new PortList();
    HKEY key = nullptr;
    // ERROR_SUCCESS or an error code; without the key there are no ports to list.
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "hardware\\devicemap\\serialcomm", &key) != ERROR_SUCCESS) {
        return ports;
    }
    DWORD count = 0;
    // ERROR_SUCCESS or an error code, after which no value is read.
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        count = 0;
    }
    for (DWORD index = 0; index < count; ++index) {
        char valueName[64];
        DWORD valueNameSize = sizeof valueName;
        unsigned char data[8];
        DWORD dataSize = sizeof data;
        // ERROR_SUCCESS or an error code. A name or data that does not fit answers
        // ERROR_MORE_DATA and is skipped, as is a value that vanished meanwhile.
        if (RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, nullptr, data,
                          &dataSize) != ERROR_SUCCESS) {
            continue;
        }
        char name[MaxPortNameLength + 1];
        if (!PortNameOf(data, dataSize, name)) {
            continue;
        }
        char* copy = NewString(name);
        std::int32_t before = ports->GetCount();
        ports->Insert(copy);
        if (ports->GetCount() == before) {
            ports->FreeItem(copy);  // a name already listed stays with us
        }
    }
    // ERROR_SUCCESS or an error code; a key that would not close costs a handle, nothing more.
    RegCloseKey(key);
    return ports;
}
