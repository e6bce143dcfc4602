// Reads a dialog template resource (the classic DLGTEMPLATE layout) into plain values, so a
// test can compare what the resource compiler produced with the layout the program relies on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/app/dialog_template_item.h"

class DialogTemplate {
  public:
    // Reads the RT_DIALOG resource `id` of `module`; false when it is missing, is an extended
    // template, or ends before its items do.
    bool Load(HMODULE module, int id);

    DWORD Style = 0;
    DWORD ExStyle = 0;
    short X = 0;
    short Y = 0;
    short W = 0;
    short H = 0;
    bool HasMenu = false;
    bool HasClass = false;
    bool HasFont = false;
    // Windows-1250 bytes.
    std::string Title;
    std::vector<DialogTemplateItem> Items;

  private:
    bool Parse(const BYTE* data, size_t size);
};
