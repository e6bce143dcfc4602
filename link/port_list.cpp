#include "link/port_list.h"

#include <cstring>

std::int32_t PortList::Compare(const void* key1, const void* key2) const {
    std::size_t length1 = std::strlen(static_cast<const char*>(key1));
    std::size_t length2 = std::strlen(static_cast<const char*>(key2));
    if (length1 != length2) {
        return length1 < length2 ? -1 : 1;
    }
    return StringCollection::Compare(key1, key2);
}
