#include "objects/collection.h"

#include <algorithm>

#include "objects/run_error.h"

Collection::Collection(std::int32_t limit, std::int32_t delta) : Delta(delta) {
    SetLimit(limit);
}

Collection::~Collection() {
    FreeAll();
    SetLimit(0);
}

void* Collection::At(std::int32_t index) const {
    if (index < 0 || index >= Count) {
        Error(-1);
        return nullptr;
    }
    return Items[index];
}

void Collection::AtInsert(std::int32_t index, void* item) {
    if (index < 0 || index > Count) {
        Error(-1);
        return;
    }
    if (Count == Limit) {
        SetLimit(Limit + Delta);
    }
    if (Count == Limit) {
        Error(-2);
        return;
    }
    std::copy_backward(Items + index, Items + Count, Items + Count + 1);
    Items[index] = item;
    ++Count;
}

void Collection::Insert(void* item) {
    AtInsert(Count, item);
}

std::int32_t Collection::IndexOf(void* item) {
    for (std::int32_t i = 0; i < Count; ++i) {
        if (Items[i] == item) {
            return i;
        }
    }
    return -1;
}

void Collection::FreeItem(void* item) {
    if (item != nullptr) {
        static_cast<BaseObject*>(item)->Free();
    }
}

void Collection::Error(std::int32_t code) const {
    RunError(212 - code);
}

void Collection::FreeAll() {
    for (std::int32_t i = 0; i < Count; ++i) {
        FreeItem(Items[i]);
    }
    Count = 0;
}

void Collection::SetLimit(std::int32_t limit) {
    limit = std::min(std::max(limit, Count), MaxCollectionSize);
    if (limit == Limit) {
        return;
    }
    void** items = limit > 0 ? new void*[limit] : nullptr;
    std::copy(Items, Items + Count, items);
    delete[] Items;
    Items = items;
    Limit = limit;
}
