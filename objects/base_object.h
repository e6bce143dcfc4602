// Root of every object type: zero-filled storage, a virtual destructor and Free.
#pragma once

#include <cstddef>

class BaseObject {
  public:
    BaseObject() = default;
    virtual ~BaseObject() = default;

    BaseObject(const BaseObject&) = delete;
    BaseObject& operator=(const BaseObject&) = delete;

    // Destroys the object through its virtual destructor and releases its memory.
    void Free() { delete this; }

    // Every object starts with all its fields zero before its constructor runs, so a field
    // that a constructor does not name reads 0, false or none.
    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;
};
