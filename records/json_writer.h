// Writes one JSON value into a string: objects, arrays, strings, numbers, booleans and null,
// with commas placed by the writer. Strings are escaped so that any bytes give valid JSON.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/text.h"

class JsonWriter {
  public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value inside an object.
    void Key(const char* name);

    // Valid UTF-8 passes through; every other byte is taken as the Latin-1 character of that
    // value, so that a reader never meets malformed text.
    void String(const char* bytes, std::size_t count);
    void String(const Text& text) { String(text.Data(), text.Size()); }
    void String(const char* text);
    // The shortest decimal that reads back as the same float; null for a NaN or an infinity,
    // which JSON cannot hold.
    void Float(float value);
    // Fixed decimals, for derived values such as percentages; null when not finite.
    void Fixed(double value, int decimals);
    // Rounded to at most that many decimals and written without trailing zeros (25.1, not
    // 25.100), for long series of measured values; null when not finite.
    void Rounded(double value, int decimals);
    void Integer(std::int64_t value);
    void Bool(bool value);
    void Null();

    const Text& Written() const { return Out; }

  private:
    // A comma before every value but the first of its object or array.
    void Separate();

    Text Out;
    bool NeedsComma = false;
};
