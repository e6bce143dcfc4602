// The base of the child controls: a standard system window class, created or attached.
#pragma once

#include "framework/window.h"

class Control : public Window {
  public:
    // A visible tab-stop child at x, y, w, h of the parent's client area.
    Control(WindowObject* parent, const char* title, int x, int y, int w, int h, int id);
    Control(WindowObject* parent, InitResourceTag, int itemId);

    // Each control type answers with its system class.
    const char* GetClassName() override = 0;
    // System classes need no registration.
    bool Register() override;
    // The system control paints itself.
    void OnPaint(MessageRecord& msg) override;
};
