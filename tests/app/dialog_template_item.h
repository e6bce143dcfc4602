// One control of a dialog template, as the template itself stores it.
#pragma once

#include <windows.h>

#include <string>

struct DialogTemplateItem {
    // Predefined classes, which a template names by ordinal, appear by their names
    // ("BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX").
    std::string ClassName;
    WORD Id = 0;
    // Windows-1250 bytes.
    std::string Text;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    short X = 0;
    short Y = 0;
    short W = 0;
    short H = 0;
};
