// A right-aligned entry field for one float, read back with "," or "." as decimal separator.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/edit_field.h"

class ValueEdit : public EditField {
  public:
    // No typing limit and no horizontal scrolling: the text ends at the field's edge.
    ValueEdit(WindowObject* parent, const char* title, int x, int y, int w, int h, int id);
    ValueEdit(WindowObject* parent, InitResourceTag tag, int itemId)
        : EditField(parent, tag, itemId, 0) {}

    void SetFloat(std::int32_t decimals, float value);
    // The number in the field, 0.0 when the text is not one.
    float GetFloat();
    // True when the text is a number; value is written either way.
    bool TryGetFloat(float& value);
};

// The text of a float with decimals decimals as the whole text of window; the value fields
// share it.
void SetFloatText(HWND window, std::int32_t decimals, float value);
