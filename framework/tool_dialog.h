// The common base of the tool's dialogs: light grey look, and Esc (command 2) cancels.
#pragma once

#include "framework/dialog.h"

class ToolDialog : public Dialog {
  public:
    using Dialog::Dialog;

    void HandleMessage(MessageRecord& msg) override;
    void DispatchCommand(MessageRecord& msg, UINT id) override;
};
