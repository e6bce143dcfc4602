// A list of strings whose operations reach the right system message through a per-type table.
#pragma once

#include <cstdint>

#include "framework/control.h"

class Collection;

// The list operations, numbered as the message tables of the list types are.
enum class ListOperation : int {
    AddString,
    InsertString,
    DeleteString,
    ClearList,
    GetCount,
    GetString,
    GetStringLength,
    SelectString,
    GetSelectedIndex,
    SetSelectedIndex,
    GetItemData,
    SetItemData,
};

class ListBox : public Control {
  public:
    // A list's part of a transfer record: its strings, then the selected index, or for a list
    // with LBS_MULTIPLESEL an array of the count and the selected indices, made with new[].
    struct Record {
        Collection* Strings;
        union {
            std::int32_t Index;
            std::int32_t* Selection;
        };
    };

    // A sorted, notifying list with a sunken border.
    ListBox(WindowObject* parent, int x, int y, int w, int h, int id);
    // Attached to a dialog item, taking part in the transfer.
    ListBox(WindowObject* parent, InitResourceTag tag, int itemId);

    const char* GetClassName() override { return "Listbox"; }
    std::int32_t Transfer(void* buffer, int direction) override;
    // The message that carries out operation for this list type.
    virtual UINT GetMessageId(ListOperation operation);

    // The index of the new item, or the system's negative error value.
    std::int32_t AddString(const char* text);
    std::int32_t InsertString(const char* text, std::int32_t index);
    void ClearList();
    // Copies the item into a buffer of at least GetStringLength + 1 bytes; returns its length.
    std::int32_t GetString(char* buffer, std::int32_t index);
    std::int32_t GetStringLength(std::int32_t index);
    // Selects the first item from after startIndex on that begins with text; its index or -1.
    std::int32_t SelectString(const char* text, std::int32_t startIndex);
    // The selected index, or -1.
    std::int32_t GetSelectedIndex();
    void SetSelectedIndex(std::int32_t index);
    // The selected item, cut to maxChars characters, into a buffer of maxChars + 1 bytes;
    // returns the characters copied, or -1 when nothing is selected.
    std::int32_t GetSelectedString(char* buffer, std::int32_t maxChars);

  protected:
    LRESULT Perform(ListOperation operation, WPARAM wParam, LPARAM lParam);
    void Fill(const Collection* strings);
};
