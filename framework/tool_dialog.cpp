#include "framework/tool_dialog.h"

namespace {

constexpr COLORREF LightGrey = RGB(0xC0, 0xC0, 0xC0);

// A stock object: never created or deleted here.
LRESULT LightGreyBrush() {
    return reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH));
}

}  // namespace

void ToolDialog::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_CTLCOLORDLG:
            msg.Result = LightGreyBrush();
            break;
        case WM_CTLCOLORSTATIC:
            // CLR_INVALID on failure, which only leaves the text background as it was.
            SetBkColor(reinterpret_cast<HDC>(msg.WParam), LightGrey);
            msg.Result = LightGreyBrush();
            break;
        default:
            Dialog::HandleMessage(msg);
            break;
    }
}

void ToolDialog::DispatchCommand(MessageRecord& msg, UINT id) {
    if (id == IDCANCEL) {
        Cancel(msg);
    } else {
        WindowObject::DispatchCommand(msg, id);
    }
}
