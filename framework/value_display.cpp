#include "framework/value_display.h"

#include "framework/number_text.h"
#include "framework/value_edit.h"

ValueDisplay::ValueDisplay(WindowObject* parent, const char* title, int x, int y, int w, int h)
    : StaticText(parent, title, x, y, w, h, 0, 0) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_RIGHT;
    ExStyle = WS_EX_CLIENTEDGE;
}

void ValueDisplay::SetInteger(std::int32_t value) {
    char text[IntegerTextSize];
    FormatInteger(text, sizeof text, value);
    SetText(text);
}

void ValueDisplay::SetFloat(std::int32_t decimals, float value) {
    SetFloatText(Handle, decimals, value);
}

void ValueDisplay::SetVersion(std::uint16_t value) {
    char text[VersionTextSize];
    FormatVersion(text, sizeof text, value);
    SetText(text);
}

void ValueDisplay::SetDate(std::uint32_t value) {
    char text[DateTextSize];
    FormatDate(text, sizeof text, value);
    SetText(text);
}

void ValueDisplay::SetOutputKind(std::uint8_t code) {
    SetText(OutputKindName(code));
}

void ValueDisplay::SetInputKind(std::uint8_t code) {
    SetText(InputKindName(code));
}
