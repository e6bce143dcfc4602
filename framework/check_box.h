// A check box that toggles itself when clicked.
#pragma once

#include <cstdint>

#include "framework/push_button.h"

class CheckBox : public PushButton {
  public:
    CheckBox(WindowObject* parent, const char* title, int x, int y, int w, int h, int id);
    // Attached to a dialog item without transfer data, as a plain window is.
    CheckBox(WindowObject* parent, InitResourceTag tag, int itemId);

    // The record is one 32-bit check state.
    std::int32_t Transfer(void* buffer, int direction) override;

    // 0 not checked, 1 checked (BM_GETCHECK).
    std::int32_t GetCheck();
    // BM_SETCHECK.
    void SetCheck(std::int32_t state);
};
