#include "framework/control.h"

Control::Control(WindowObject* parent, const char* title, int x, int y, int w, int h, int id)
    : Window(parent, title) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
    X = x;
    Y = y;
    W = w;
    H = h;
    Id = id;
}

Control::Control(WindowObject* parent, InitResourceTag tag, int itemId)
    : Window(parent, tag, itemId) {}

bool Control::Register() {
    return true;
}

void Control::OnPaint(MessageRecord& msg) {
    DefaultProcessing(msg);
}
