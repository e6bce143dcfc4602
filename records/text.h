// A growable run of bytes, zero-terminated: the records' strings. It calls nothing in the C++
// run-time that can throw, so the window program keeps its records without the run-time's
// exception machinery (std::string's library code brings it in).
#pragma once

#include <cstddef>
#include <cstring>

class Text {
  public:
    Text() = default;
    Text(const char* text) { Append(text); }  // NOLINT: a literal reads as Text
    Text(const char* bytes, std::size_t count) { Append(bytes, count); }
    Text(const Text& other) { Append(other.Data(), other.Size()); }
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text() { delete[] Bytes; }

    const char* Data() const { return Bytes != nullptr ? Bytes : ""; }
    std::size_t Size() const { return Length; }
    bool Empty() const { return Length == 0; }
    char Back() const { return Length != 0 ? Bytes[Length - 1] : '\0'; }

    Text& Append(const char* bytes, std::size_t count);
    Text& Append(const char* text) { return Append(text, std::strlen(text)); }
    Text& Append(const Text& text) { return Append(text.Data(), text.Size()); }
    Text& Append(char c) { return Append(&c, 1); }
    void Clear() {
        Length = 0;
        if (Bytes != nullptr) {
            Bytes[0] = '\0';
        }
    }

    bool operator==(const Text& other) const {
        return Length == other.Length && std::memcmp(Data(), other.Data(), Length) == 0;
    }
    bool operator!=(const Text& other) const { return !(*this == other); }

  private:
    char* Bytes = nullptr;
    std::size_t Length = 0;
    std::size_t Capacity = 0;
};
