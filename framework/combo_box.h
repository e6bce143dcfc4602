// A drop-down list, editable or list only, with the list operations of ListBox.
#pragma once

#include <cstdint>

#include "framework/list_box.h"

class ComboBox : public ListBox {
  public:
    // Sorted unless the owner clears CBS_SORT in Style before the window is made. textLen:
    // the buffer size of the edit part with its terminating zero (0: no limit).
    ComboBox(WindowObject* parent, int x, int y, int w, int h, int id, std::int32_t textLen,
             bool editable);
    ComboBox(WindowObject* parent, InitResourceTag tag, int itemId, std::int32_t textLen);

    const char* GetClassName() override { return "Combobox"; }
    // The record is the strings' collection, then the text of the edit part in TextLen bytes.
    std::int32_t Transfer(void* buffer, int direction) override;
    // Limits the edit part once the window exists.
    void SetupWindow() override;
    UINT GetMessageId(ListOperation operation) override;

    // Selects the first item that begins with text, or puts text into the edit part.
    void SetSelectedText(const char* text);

    std::int32_t TextLen = 0;
};
