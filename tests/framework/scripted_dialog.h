// A modal dialog that plays a script: each step runs from a message posted to the dialog
// itself, so the steps run in order inside the system's modal loop and the test stays on one
// thread. A safety timer ends a dialog that the script failed to end.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/dialog.h"

constexpr INT_PTR ScriptTimedOut = -99;

template <class Base>
class ScriptedDialog : public Base {
  public:
    using Step = std::function<void(ScriptedDialog&)>;

    ScriptedDialog(WindowObject* parent, int templateId, bool* disposed = nullptr)
        : Base(parent, templateId), Disposed(disposed) {}
    ScriptedDialog(WindowObject* parent, const char* templateName, bool* disposed = nullptr)
        : Base(parent, templateName), Disposed(disposed) {}
    ~ScriptedDialog() override {
        if (Disposed != nullptr) {
            *Disposed = true;
        }
    }

    ScriptedDialog& Then(Step step) {
        Steps.push_back(std::move(step));
        return *this;
    }

    void OnInitDialog(MessageRecord& msg) override {
        Base::OnInitDialog(msg);
        SetTimer(this->Handle, SafetyTimer, 10000, nullptr);
        PostMessageA(this->Handle, NextStepMessage, 0, 0);
    }

    void HandleMessage(MessageRecord& msg) override {
        if (msg.Message == NextStepMessage && NextStep < Steps.size()) {
            const std::size_t step = NextStep++;
            PostMessageA(this->Handle, NextStepMessage, 0, 0);
            Steps[step](*this);
            return;
        }
        if (msg.Message == WM_TIMER && msg.WParam == SafetyTimer) {
            ::EndDialog(this->Handle, ScriptTimedOut);
            return;
        }
        Base::HandleMessage(msg);
    }

    bool CanClose() override { return MayClose && Base::CanClose(); }

    // Clicks the item as the user would, through the button's own BM_CLICK.
    void Click(int itemId) { SendMessageA(GetDlgItem(this->Handle, itemId), BM_CLICK, 0, 0); }

    bool MayClose = true;

  private:
    static constexpr UINT NextStepMessage = WM_APP + 77;
    static constexpr UINT_PTR SafetyTimer = 0x5AFE;

    bool* Disposed;
    std::vector<Step> Steps;
    std::size_t NextStep = 0;
};
