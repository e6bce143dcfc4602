// A collection whose items are all of one type, read back as that type.
#pragma once

#include <cstdint>

#include "objects/collection.h"

template <class T>
class TypedCollection : public Collection {
  public:
    using Collection::Collection;

    // The item at index, or none when index is outside the list (a combo box with no
    // selection reports -1) where At would stop the program.
    T* ItemAt(std::int32_t index) const {
        return index >= 0 && index < Count ? static_cast<T*>(Items[index]) : nullptr;
    }
};
