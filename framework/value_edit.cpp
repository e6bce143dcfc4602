#include "framework/value_edit.h"

#include <string_view>

#include "framework/number_text.h"

namespace {

// One more than a readable text, so that a longer one is seen and refused, not cut.
constexpr int FieldBufferSize = FieldReadLength + 2;

}  // namespace

void SetFloatText(HWND window, std::int32_t decimals, float value) {
    char text[FieldReadLength + 1];
    if (decimals > MaxShownDecimals) {
        decimals = MaxShownDecimals;
    }
    FormatFloat(text, sizeof text, decimals, value);
    // 0 on failure, which leaves the previous text.
    SetWindowTextA(window, text);
}

ValueEdit::ValueEdit(WindowObject* parent, const char* title, int x, int y, int w, int h, int id)
    : EditField(parent, title, x, y, w, h, id, 0, false) {
    Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_RIGHT;
}

void ValueEdit::SetFloat(std::int32_t decimals, float value) {
    SetFloatText(Handle, decimals, value);
}

float ValueEdit::GetFloat() {
    float value = 0.0f;
    TryGetFloat(value);
    return value;
}

bool ValueEdit::TryGetFloat(float& value) {
    char text[FieldBufferSize] = {};
    // The number of characters read; 0 for an empty field or a failure.
    const int length = GetWindowTextA(Handle, text, sizeof text);
    const bool isNumber =
        ParseFloat(std::string_view(text, static_cast<std::size_t>(length)), value);
    return length != 0 && isNumber;
}
