// A labelled frame around a group of controls; not a tab stop.
#pragma once

#include "framework/control.h"

class GroupBox : public Control {
  public:
    GroupBox(WindowObject* parent, const char* title, int x, int y, int w, int h, int id);
    // Attached without transfer data.
    GroupBox(WindowObject* parent, InitResourceTag tag, int itemId)
        : Control(parent, tag, itemId) {}

    const char* GetClassName() override { return "Button"; }
};
