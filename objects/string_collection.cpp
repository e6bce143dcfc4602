#include "objects/string_collection.h"

#include <cstdlib>
#include <cstring>

std::int32_t StringCollection::Compare(const void* key1, const void* key2) const {
    const auto* a = static_cast<const unsigned char*>(key1);
    const auto* b = static_cast<const unsigned char*>(key2);
    while (*a == *b && *b != 0) {
        ++a;
        ++b;
    }
    return static_cast<std::int32_t>(*a) - static_cast<std::int32_t>(*b);
}

void StringCollection::FreeItem(void* item) {
    std::free(item);
}

char* NewString(const char* text) {
    std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}
