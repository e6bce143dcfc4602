// A sorted collection of owned, zero-terminated 8-bit strings.
#pragma once

#include <cstdint>

#include "objects/sorted_collection.h"

class StringCollection : public SortedCollection {
  public:
    using SortedCollection::SortedCollection;

    // Unsigned byte-by-byte comparison (a plain C-string comparison).
    std::int32_t Compare(const void* key1, const void* key2) const override;
    // Items are blocks from NewString.
    void FreeItem(void* item) override;

    // The destructor of a derived collection runs before FreeAll reaches the items, so the
    // strings are released here, while FreeItem still means "release a string".
    ~StringCollection() override { FreeAll(); }
};

// A heap copy of text in one block of its length plus one byte, as the string
// collections own and release them.
char* NewString(const char* text);
