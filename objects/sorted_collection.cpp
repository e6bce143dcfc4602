#include "objects/sorted_collection.h"

bool SortedCollection::Search(const void* key, std::int32_t& index) const {
    std::int32_t low = 0;
    std::int32_t high = Count - 1;
    bool found = false;
    while (low <= high) {
        std::int32_t middle = (low + high) / 2;
        std::int32_t c = Compare(KeyOf(Items[middle]), key);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0) {
                found = true;
                if (!Duplicates) {
                    low = middle;
                }
            }
        }
    }
    index = low;
    return found;
}

void SortedCollection::Insert(void* item) {
    std::int32_t index = 0;
    if (!Search(KeyOf(item), index) || Duplicates) {
        AtInsert(index, item);
    }
}

std::int32_t SortedCollection::IndexOf(void* item) {
    std::int32_t index = 0;
    if (!Search(KeyOf(item), index)) {
        return -1;
    }
    if (Duplicates) {
        while (index < Count && Items[index] != item) {
            ++index;
        }
    }
    return index < Count ? index : -1;
}
