#include "app/port_combo.h"

PortCombo::PortCombo(WindowObject* parent, int x, int y, int w, int h, int id)
    : ComboBox(parent, x, y, w, h, id, 0, false), Ports(BuildPortList()) {}

PortCombo::~PortCombo() {
    Ports->Free();
}

void PortCombo::SetupWindow() {
    // CB_INSERTSTRING at the end does not sort, although the style keeps CBS_SORT, so the
    // list shows COM2 before COM10 as the port list orders them.
    Ports->ForEach([this](void* name) { InsertString(static_cast<const char*>(name), -1); });
}
