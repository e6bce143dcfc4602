// A read-only, right-aligned field that shows one number or kind name of the transmitter.
#pragma once

#include <cstdint>

#include "framework/static_text.h"

class ValueDisplay : public StaticText {
  public:
    // A sunken field without an id, filled by its owner after each read.
    ValueDisplay(WindowObject* parent, const char* title, int x, int y, int w, int h);
    ValueDisplay(WindowObject* parent, InitResourceTag tag, int itemId)
        : StaticText(parent, tag, itemId, 0) {}

    // Each replaces the whole text of the field.
    void SetInteger(std::int32_t value);
    void SetFloat(std::int32_t decimals, float value);
    // "%lx.%02lx" of the high and the low byte.
    void SetVersion(std::uint16_t value);
    // "%04lx-%02lx-%02lx" of a packed-decimal date.
    void SetDate(std::uint32_t value);
    void SetOutputKind(std::uint8_t code);
    void SetInputKind(std::uint8_t code);
};
