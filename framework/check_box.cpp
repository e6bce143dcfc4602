#include "framework/check_box.h"

#include <cstring>

CheckBox::CheckBox(WindowObject* parent, const char* title, int x, int y, int w, int h, int id)
    : PushButton(parent, title, x, y, w, h, id) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
}

CheckBox::CheckBox(WindowObject* parent, InitResourceTag tag, int itemId)
    : PushButton(parent, tag, itemId) {
    Flags &= ~FlagTransfer;
}

std::int32_t CheckBox::Transfer(void* buffer, int direction) {
    std::int32_t state = 0;
    if (direction == TransferGet) {
        state = GetCheck();
        std::memcpy(buffer, &state, sizeof state);
    } else if (direction == TransferSet) {
        std::memcpy(&state, buffer, sizeof state);
        SetCheck(state);
    }
    return sizeof state;
}

std::int32_t CheckBox::GetCheck() {
    return static_cast<std::int32_t>(SendMessageA(Handle, BM_GETCHECK, 0, 0));
}

void CheckBox::SetCheck(std::int32_t state) {
    SendMessageA(Handle, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}
