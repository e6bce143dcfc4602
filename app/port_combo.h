// The drop-down list of serial ports from which the user picks the transmitter's line.
#pragma once

#include "framework/combo_box.h"
#include "link/port_list.h"

class PortCombo : public ComboBox {
  public:
    // Reads the system's port list now, before any window exists; the list is never
    // refreshed while the program runs.
    PortCombo(WindowObject* parent, int x, int y, int w, int h, int id);
    ~PortCombo() override;

    // Shows the ports in the list's own order (shortest name first).
    void SetupWindow() override;

    PortList* Ports = nullptr;
};
