#include "app/dialogs/buffer_combo_box.h"

BufferComboBox::BufferComboBox(WindowObject* parent, InitResourceTag tag, int itemId,
                               const BufferList& buffers)
    : ComboBox(parent, tag, itemId, 0), Buffers(buffers) {}

void BufferComboBox::SetupWindow() {
    for (std::int32_t index = 0; index < Buffers.GetCount(); ++index) {
        AddString(Buffers.ItemAt(index)->Name);
    }
}
