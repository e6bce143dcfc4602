// A text entry field with the edit commands and a typing limit.
#pragma once

#include <cstdint>

#include "framework/static_text.h"

// Command ids that an edit field carries out itself, in the order of its edit operations.
constexpr UINT EditCutCommandId = 0xFF00;
constexpr UINT EditCopyCommandId = 0xFF01;
constexpr UINT EditPasteCommandId = 0xFF02;
constexpr UINT EditDeleteCommandId = 0xFF03;
constexpr UINT EditClearCommandId = 0xFF04;
constexpr UINT EditUndoCommandId = 0xFF05;

class EditField : public StaticText {
  public:
    // textLen: the buffer size with its terminating zero; the user types at most textLen - 1
    // characters (0: no limit).
    EditField(WindowObject* parent, const char* title, int x, int y, int w, int h, int id,
              std::int32_t textLen, bool multiLine);
    using StaticText::StaticText;

    // The edit command ids go to the edit operations, every other id to the parent.
    void DispatchCommand(MessageRecord& msg, UINT id) override;
    const char* GetClassName() override { return "Edit"; }
    // Sets the typing limit once the window exists.
    void SetupWindow() override;
    virtual void Cut();              // WM_CUT
    virtual void Copy();             // WM_COPY
    virtual void Paste();            // WM_PASTE
    virtual void DeleteSelection();  // WM_CLEAR
    virtual void ClearAll();
    virtual void Undo();  // WM_UNDO
};
