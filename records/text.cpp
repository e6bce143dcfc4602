#include "records/text.h"

Text::Text(Text&& other) noexcept
    : Bytes(other.Bytes), Length(other.Length), Capacity(other.Capacity) {
    other.Bytes = nullptr;
    other.Length = 0;
    other.Capacity = 0;
}

Text& Text::operator=(const Text& other) {
    if (this != &other) {
        Clear();
        Append(other.Data(), other.Size());
    }
    return *this;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        delete[] Bytes;
        Bytes = other.Bytes;
        Length = other.Length;
        Capacity = other.Capacity;
        other.Bytes = nullptr;
        other.Length = 0;
        other.Capacity = 0;
    }
    return *this;
}

Text& Text::Append(const char* bytes, std::size_t count) {
    if (Length + count + 1 > Capacity) {
        std::size_t capacity = Capacity != 0 ? Capacity * 2 : 32;
        while (capacity < Length + count + 1) {
            capacity *= 2;
        }
        // The program's operator new ends it with a run-time error when memory is out.
        char* grown = new char[capacity];
        if (Length != 0) {
            std::memcpy(grown, Bytes, Length);
        }
        // Copied before the old block goes, which bytes may point into.
        if (count != 0) {
            std::memcpy(grown + Length, bytes, count);
        }
        delete[] Bytes;
        Bytes = grown;
        Capacity = capacity;
    } else if (count != 0) {
        std::memmove(Bytes + Length, bytes, count);
    }
    Length += count;
    Bytes[Length] = '\0';
    return *this;
}
