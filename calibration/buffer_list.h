// The five buffer solutions in the fixed order that is also the preset combo boxes' order.
#pragma once

#include <cstdint>

#include "calibration/ph_buffer.h"
#include "objects/collection.h"

// Indexes of the buffers that the calibration dialog preselects.
constexpr std::int32_t BufferIndexPh401 = 0;
constexpr std::int32_t BufferIndexPh701 = 2;

class BufferList : public Collection {
  public:
    BufferList() : Collection(10, 0) {}

    // The buffer at index, or none when index is outside the list (a combo box with no
    // selection reports -1).
    PhBuffer* BufferAt(std::int32_t index) const {
        return index >= 0 && index < Count ? static_cast<PhBuffer*>(Items[index]) : nullptr;
    }
};

// pH 4.01, 6.86, 7.01, 9.18, 10.01 at indexes 0 to 4; the caller owns the list.
BufferList* CreateBufferList();
