#include "framework/group_box.h"

GroupBox::GroupBox(WindowObject* parent, const char* title, int x, int y, int w, int h, int id)
    : Control(parent, title, x, y, w, h, id) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
}
