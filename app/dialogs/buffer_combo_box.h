// The drop-down list of the pH buffers from which a calibration point takes its standard.
#pragma once

#include "calibration/buffer_list.h"
#include "framework/combo_box.h"

// Lists the buffers in the list's own order, so a selected index is an index of the list.
class BufferComboBox : public ComboBox {
  public:
    // The list is not owned and must outlive the control.
    BufferComboBox(WindowObject* parent, InitResourceTag tag, int itemId,
                   const BufferList& buffers);

    // Only fills the list: the box has no edit part to limit.
    void SetupWindow() override;

    const BufferList& Buffers;
};
