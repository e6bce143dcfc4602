// A push button; its clicks reach the parent by the button's id.
#pragma once

#include "framework/control.h"

class PushButton : public Control {
  public:
    PushButton(WindowObject* parent, const char* title, int x, int y, int w, int h, int id);
    // Attached to a dialog item, taking part in the transfer.
    PushButton(WindowObject* parent, InitResourceTag tag, int itemId);

    const char* GetClassName() override { return "Button"; }
};
