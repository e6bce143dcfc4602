#include "tests/app/dialog_template.h"

#include <cstring>

namespace {

// Walks the template's WORD-aligned fields; every read reports whether it stayed in bounds.
class TemplateReader {
  public:
    TemplateReader(const BYTE* data, size_t size) : Data(data), Size(size) {}

    bool Word(WORD& value) { return Raw(&value, sizeof value); }
    bool Dword(DWORD& value) { return Raw(&value, sizeof value); }
    bool Short(short& value) { return Raw(&value, sizeof value); }

    // A zero-terminated UTF-16 string, converted to Windows-1250.
    bool String(std::string& text) {
        std::wstring wide;
        WORD unit = 0;
        while (Word(unit)) {
            if (unit == 0) {
                text = ToCodePage1250(wide);
                return true;
            }
            wide.push_back(static_cast<wchar_t>(unit));
        }
        return false;
    }

    // The "string or ordinal" field: 0 for none, 0xFFFF and an ordinal, or a string.
    bool NameOrOrdinal(std::string& name, WORD& ordinal, bool& present) {
        WORD first = 0;
        if (!Word(first)) {
            return false;
        }
        present = first != 0;
        ordinal = 0;
        name.clear();
        if (first == 0) {
            return true;
        }
        if (first == 0xFFFF) {
            return Word(ordinal);
        }
        Offset -= sizeof(WORD);
        return String(name);
    }

    void AlignToDword() { Offset = (Offset + 3) & ~static_cast<size_t>(3); }
    bool Skip(size_t count) {
        if (Offset + count > Size) {
            return false;
        }
        Offset += count;
        return true;
    }

  private:
    bool Raw(void* value, size_t count) {
        if (Offset + count > Size) {
            return false;
        }
        std::memcpy(value, Data + Offset, count);
        Offset += count;
        return true;
    }

    static std::string ToCodePage1250(const std::wstring& wide) {
        if (wide.empty()) {
            return {};
        }
        const int length = static_cast<int>(wide.size());
        // Returns the byte count on success, 0 on failure.
        int bytes = WideCharToMultiByte(1250, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<size_t>(bytes), '\0');
        if (bytes > 0) {
            WideCharToMultiByte(1250, 0, wide.data(), length, &text[0], bytes, nullptr, nullptr);
        }
        return text;
    }

    const BYTE* Data;
    size_t Size;
    size_t Offset = 0;
};

std::string PredefinedClassName(WORD ordinal) {
    switch (ordinal) {
        case 0x0080:
            return "BUTTON";
        case 0x0081:
            return "EDIT";
        case 0x0082:
            return "STATIC";
        case 0x0083:
            return "LISTBOX";
        case 0x0084:
            return "SCROLLBAR";
        case 0x0085:
            return "COMBOBOX";
        default:
            return "#" + std::to_string(ordinal);
    }
}

}  // namespace

bool DialogTemplate::Load(HMODULE module, int id) {
    // Each of these returns null on failure.
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return false;
    }
    return Parse(static_cast<const BYTE*>(data), SizeofResource(module, found));
}

bool DialogTemplate::Parse(const BYTE* data, size_t size) {
    TemplateReader reader(data, size);
    WORD count = 0;
    if (!reader.Dword(Style) || !reader.Dword(ExStyle) || !reader.Word(count) || !reader.Short(X) ||
        !reader.Short(Y) || !reader.Short(W) || !reader.Short(H)) {
        return false;
    }
    // An extended template starts with the version 1 and the signature 0xFFFF.
    if (Style == 0xFFFF0001u) {
        return false;
    }
    std::string name;
    WORD ordinal = 0;
    if (!reader.NameOrOrdinal(name, ordinal, HasMenu) ||
        !reader.NameOrOrdinal(name, ordinal, HasClass) || !reader.String(Title)) {
        return false;
    }
    HasFont = (Style & DS_SETFONT) != 0;
    if (HasFont) {
        WORD points = 0;
        std::string face;
        if (!reader.Word(points) || !reader.String(face)) {
            return false;
        }
    }
    Items.clear();
    for (WORD i = 0; i < count; ++i) {
        DialogTemplateItem item;
        reader.AlignToDword();
        bool present = false;
        WORD extra = 0;
        if (!reader.Dword(item.Style) || !reader.Dword(item.ExStyle) || !reader.Short(item.X) ||
            !reader.Short(item.Y) || !reader.Short(item.W) || !reader.Short(item.H) ||
            !reader.Word(item.Id) || !reader.NameOrOrdinal(item.ClassName, ordinal, present)) {
            return false;
        }
        if (item.ClassName.empty()) {
            item.ClassName = PredefinedClassName(ordinal);
        }
        if (!reader.NameOrOrdinal(item.Text, ordinal, present) || !reader.Word(extra) ||
            !reader.Skip(extra)) {
            return false;
        }
        Items.push_back(item);
    }
    return true;
}
