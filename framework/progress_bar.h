// The system progress bar attached to a dialog item.
#pragma once

#include "framework/control.h"

class ProgressBar : public Control {
  public:
    // Attached without transfer data; the class exists once the common controls are started.
    ProgressBar(WindowObject* parent, InitResourceTag tag, int itemId)
        : Control(parent, tag, itemId) {}

    const char* GetClassName() override { return "msctls_progress32"; }
    // Light grey, range 0 to 100, step 1.
    void SetupWindow() override;

    // Each bound is cut to 16 bits (PBM_SETRANGE).
    void SetRange(int minimum, int maximum);
    void SetStep(int step);          // PBM_SETSTEP
    void SetPosition(int position);  // PBM_SETPOS
    void StepIt();                   // PBM_STEPIT
};
