#include "framework/combo_box.h"

#include <cstring>

namespace {

constexpr UINT ComboBoxMessages[] = {
    CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
    CB_GETCOUNT,  CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_SELECTSTRING,
    CB_GETCURSEL, CB_SETCURSEL,    CB_GETITEMDATA,  CB_SETITEMDATA,
};

}  // namespace

ComboBox::ComboBox(WindowObject* parent, int x, int y, int w, int h, int id, std::int32_t textLen,
                   bool editable)
    : ListBox(parent, x, y, w, h, id), TextLen(textLen) {
    Style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_GROUP | WS_TABSTOP | CBS_SORT |
            (editable ? CBS_AUTOHSCROLL | CBS_DROPDOWN : CBS_DROPDOWNLIST);
}

ComboBox::ComboBox(WindowObject* parent, InitResourceTag tag, int itemId, std::int32_t textLen)
    : ListBox(parent, tag, itemId), TextLen(textLen) {}

UINT ComboBox::GetMessageId(ListOperation operation) {
    return ComboBoxMessages[static_cast<int>(operation)];
}

void ComboBox::SetupWindow() {
    ListBox::SetupWindow();
    if (TextLen != 0) {
        SendMessageA(Handle, CB_LIMITTEXT, static_cast<WPARAM>(TextLen - 1), 0);
    }
}

void ComboBox::SetSelectedText(const char* text) {
    if (SelectString(text, -1) == -1) {
        // Fails for a list-only box, which has no edit part: the selection stays.
        SetWindowTextA(Handle, text);
    }
}

std::int32_t ComboBox::Transfer(void* buffer, int direction) {
    Collection* strings = nullptr;
    char* text = static_cast<char*>(buffer) + sizeof strings;
    if (direction == TransferGet && TextLen > 0) {
        GetWindowTextA(Handle, text, TextLen);
    } else if (direction == TransferSet) {
        std::memcpy(&strings, buffer, sizeof strings);
        Fill(strings);
        if (TextLen > 0) {
            SetSelectedText(text);
        }
    }
    return static_cast<std::int32_t>(sizeof strings) + TextLen;
}
