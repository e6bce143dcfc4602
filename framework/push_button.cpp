#include "framework/push_button.h"

PushButton::PushButton(WindowObject* parent, const char* title, int x, int y, int w, int h, int id)
    : Control(parent, title, x, y, w, h, id) {}

PushButton::PushButton(WindowObject* parent, InitResourceTag tag, int itemId)
    : Control(parent, tag, itemId) {
    EnableTransfer();
}
