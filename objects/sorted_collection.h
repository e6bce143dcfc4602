// A collection kept in key order, found by binary search.
#pragma once

#include <cstdint>

#include "objects/collection.h"

class SortedCollection : public Collection {
  public:
    using Collection::Collection;

    // The key an item is sorted by; the item itself unless a descendant says otherwise.
    virtual const void* KeyOf(void* item) const { return item; }
    // Negative, zero or positive as key1 sorts before, with or after key2.
    virtual std::int32_t Compare(const void* key1, const void* key2) const = 0;

    // Binary search. index: the position of the key (the first of equal keys when
    // Duplicates is set), or where it belongs when it is absent.
    bool Search(const void* key, std::int32_t& index) const;

    // Sorted insert. Without Duplicates an item whose key is present is not inserted and
    // stays with the caller.
    void Insert(void* item) override;
    std::int32_t IndexOf(void* item) override;

    bool Duplicates = false;
};
