// The five buffer solutions in the fixed order that is also the preset combo boxes' order.
#pragma once

#include <cstdint>

#include "calibration/ph_buffer.h"
#include "objects/typed_collection.h"

// Indexes of the buffers that the calibration dialog preselects.
constexpr std::int32_t BufferIndexPh401 = 0;
constexpr std::int32_t BufferIndexPh701 = 2;

class BufferList : public TypedCollection<PhBuffer> {
  public:
    BufferList() : TypedCollection(10, 0) {}
};

// pH 4.01, 6.86, 7.01, 9.18, 10.01 at indexes 0 to 4; the caller owns the list.
BufferList* CreateBufferList();
