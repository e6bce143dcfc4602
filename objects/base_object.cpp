#include "objects/base_object.h"

#include <cstring>
#include <new>

void* BaseObject::operator new(std::size_t size) {
    void* block = ::operator new(size);
    std::memset(block, 0, size);
    return block;
}

void BaseObject::operator delete(void* block) noexcept {
    ::operator delete(block);
}
