#include "framework/edit_field.h"

EditField::EditField(WindowObject* parent, const char* title, int x, int y, int w, int h, int id,
                     std::int32_t textLen, bool multiLine)
    : StaticText(parent, title, x, y, w, h, id, textLen) {
    Style = multiLine ? WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                            ES_WANTRETURN | ES_MULTILINE
                      : WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
    ExStyle = WS_EX_CLIENTEDGE;
}

void EditField::DispatchCommand(MessageRecord& msg, UINT id) {
    switch (id) {
        case EditCutCommandId:
            Cut();
            break;
        case EditCopyCommandId:
            Copy();
            break;
        case EditPasteCommandId:
            Paste();
            break;
        case EditDeleteCommandId:
            DeleteSelection();
            break;
        case EditClearCommandId:
            ClearAll();
            break;
        case EditUndoCommandId:
            Undo();
            break;
        default:
            StaticText::DispatchCommand(msg, id);
            break;
    }
}

void EditField::SetupWindow() {
    StaticText::SetupWindow();
    if (TextLen != 0) {
        SendMessageA(Handle, EM_LIMITTEXT, static_cast<WPARAM>(TextLen - 1), 0);
    }
}

void EditField::Cut() {
    SendMessageA(Handle, WM_CUT, 0, 0);
}

void EditField::Copy() {
    SendMessageA(Handle, WM_COPY, 0, 0);
}

void EditField::Paste() {
    SendMessageA(Handle, WM_PASTE, 0, 0);
}

void EditField::DeleteSelection() {
    SendMessageA(Handle, WM_CLEAR, 0, 0);
}

void EditField::ClearAll() {
    ClearText();
}

void EditField::Undo() {
    SendMessageA(Handle, WM_UNDO, 0, 0);
}
