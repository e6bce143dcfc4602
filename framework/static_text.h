// A text label, and the base of the edit and value fields with their text transfer.
#pragma once

#include <cstdint>

#include "framework/control.h"

class StaticText : public Control {
  public:
    // textLen: the size of a text buffer with its terminating zero; 0 means no text transfer.
    StaticText(WindowObject* parent, const char* title, int x, int y, int w, int h, int id,
               std::int32_t textLen);
    // Attached to a dialog item, taking part in the transfer with textLen bytes.
    StaticText(WindowObject* parent, InitResourceTag tag, int itemId, std::int32_t textLen);

    const char* GetClassName() override { return "Static"; }
    // The record is a text of TextLen bytes.
    std::int32_t Transfer(void* buffer, int direction) override;

    // Copies at most maxCount - 1 characters and a zero; returns the characters copied.
    std::int32_t GetText(char* buffer, std::int32_t maxCount);
    void SetText(const char* text);
    void ClearText();

    std::int32_t TextLen = 0;
};
