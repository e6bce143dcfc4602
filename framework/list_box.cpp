#include "framework/list_box.h"

#include <cstring>
#include <new>

#include "objects/collection.h"

namespace {

constexpr UINT ListBoxMessages[] = {
    LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
    LB_GETCOUNT,  LB_GETTEXT,      LB_GETTEXTLEN,   LB_SELECTSTRING,
    LB_GETCURSEL, LB_SETCURSEL,    LB_GETITEMDATA,  LB_SETITEMDATA,
};

}  // namespace

ListBox::ListBox(WindowObject* parent, int x, int y, int w, int h, int id)
    : Control(parent, nullptr, x, y, w, h, id) {
    Style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_GROUP | WS_TABSTOP | LBS_NOTIFY | LBS_SORT;
    ExStyle = WS_EX_CLIENTEDGE;
}

ListBox::ListBox(WindowObject* parent, InitResourceTag tag, int itemId)
    : Control(parent, tag, itemId) {
    EnableTransfer();
}

UINT ListBox::GetMessageId(ListOperation operation) {
    return ListBoxMessages[static_cast<int>(operation)];
}

LRESULT ListBox::Perform(ListOperation operation, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(Handle, GetMessageId(operation), wParam, lParam);
}

std::int32_t ListBox::AddString(const char* text) {
    return static_cast<std::int32_t>(
        Perform(ListOperation::AddString, 0, reinterpret_cast<LPARAM>(text)));
}

std::int32_t ListBox::InsertString(const char* text, std::int32_t index) {
    return static_cast<std::int32_t>(Perform(
        ListOperation::InsertString, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

void ListBox::ClearList() {
    Perform(ListOperation::ClearList, 0, 0);
}

std::int32_t ListBox::GetString(char* buffer, std::int32_t index) {
    return static_cast<std::int32_t>(Perform(ListOperation::GetString, static_cast<WPARAM>(index),
                                             reinterpret_cast<LPARAM>(buffer)));
}

std::int32_t ListBox::GetStringLength(std::int32_t index) {
    return static_cast<std::int32_t>(
        Perform(ListOperation::GetStringLength, static_cast<WPARAM>(index), 0));
}

std::int32_t ListBox::SelectString(const char* text, std::int32_t startIndex) {
    return static_cast<std::int32_t>(Perform(ListOperation::SelectString,
                                             static_cast<WPARAM>(startIndex),
                                             reinterpret_cast<LPARAM>(text)));
}

std::int32_t ListBox::GetSelectedIndex() {
    return static_cast<std::int32_t>(Perform(ListOperation::GetSelectedIndex, 0, 0));
}

void ListBox::SetSelectedIndex(std::int32_t index) {
    Perform(ListOperation::SetSelectedIndex, static_cast<WPARAM>(index), 0);
}

std::int32_t ListBox::GetSelectedString(char* buffer, std::int32_t maxChars) {
    const std::int32_t index = GetSelectedIndex();
    if (index == -1) {
        return -1;
    }
    const std::int32_t length = GetStringLength(index);
    if (maxChars >= length) {
        return GetString(buffer, index);
    }
    char* item = new (std::nothrow) char[static_cast<std::size_t>(length) + 1];
    if (item == nullptr) {
        return -1;
    }
    item[0] = '\0';
    GetString(item, index);
    std::strncpy(buffer, item, static_cast<std::size_t>(maxChars));
    buffer[maxChars] = '\0';
    delete[] item;
    return maxChars;
}

void ListBox::Fill(const Collection* strings) {
    ClearList();
    if (strings != nullptr) {
        strings->ForEach([this](void* text) { AddString(static_cast<const char*>(text)); });
    }
}

std::int32_t ListBox::Transfer(void* buffer, int direction) {
    auto* record = static_cast<Record*>(buffer);
    // 0 when the style cannot be read; the list is then taken as a single-selection one.
    const bool multiple = (GetWindowLongPtrA(Handle, GWL_STYLE) & LBS_MULTIPLESEL) != 0;
    if (direction == TransferGet && multiple) {
        const auto count = static_cast<std::int32_t>(SendMessageA(Handle, LB_GETSELCOUNT, 0, 0));
        const std::int32_t selected = count > 0 ? count : 0;
        auto* selection = new std::int32_t[static_cast<std::size_t>(selected) + 1];
        selection[0] = static_cast<std::int32_t>(
            SendMessageA(Handle, LB_GETSELITEMS, static_cast<WPARAM>(selected),
                         reinterpret_cast<LPARAM>(selection + 1)));
        if (selection[0] < 0) {
            selection[0] = 0;
        }
        delete[] record->Selection;
        record->Selection = selection;
    } else if (direction == TransferGet) {
        record->Index = GetSelectedIndex();
    } else if (direction == TransferSet && multiple) {
        Fill(record->Strings);
        SendMessageA(Handle, LB_SETSEL, FALSE, -1);
        const std::int32_t* selection = record->Selection;
        for (std::int32_t i = 1; selection != nullptr && i <= selection[0]; ++i) {
            SendMessageA(Handle, LB_SETSEL, TRUE, selection[i]);
        }
    } else if (direction == TransferSet) {
        Fill(record->Strings);
        SetSelectedIndex(record->Index);
    }
    return sizeof(Record);
}
