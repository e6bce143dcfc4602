#include "framework/static_text.h"

StaticText::StaticText(WindowObject* parent, const char* title, int x, int y, int w, int h, int id,
                       std::int32_t textLen)
    : Control(parent, title, x, y, w, h, id), TextLen(textLen) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
}

StaticText::StaticText(WindowObject* parent, InitResourceTag tag, int itemId, std::int32_t textLen)
    : Control(parent, tag, itemId), TextLen(textLen) {
    EnableTransfer();
}

std::int32_t StaticText::Transfer(void* buffer, int direction) {
    if (TextLen > 0 && direction == TransferGet) {
        GetText(static_cast<char*>(buffer), TextLen);
    } else if (TextLen > 0 && direction == TransferSet) {
        SetText(static_cast<const char*>(buffer));
    }
    return TextLen;
}

std::int32_t StaticText::GetText(char* buffer, std::int32_t maxCount) {
    // 0 for an empty text as well as for a failure; the buffer then holds "".
    return GetWindowTextA(Handle, buffer, maxCount);
}

// 0 on failure, which leaves the previous text.
void StaticText::SetText(const char* text) {
    SetWindowTextA(Handle, text);
}

void StaticText::ClearText() {
    SetText("");
}
