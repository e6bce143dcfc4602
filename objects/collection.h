// An ordered, growable list of item pointers that owns its items.
#pragma once

#include <cstdint>

#include "objects/base_object.h"

// Capacity ceiling of every collection.
constexpr std::int32_t MaxCollectionSize = 16380;

class Collection : public BaseObject {
  public:
    // limit: initial capacity; delta: places added when full (0: never grows).
    Collection(std::int32_t limit, std::int32_t delta);
    ~Collection() override;

    // The item at index, 0 <= index < Count; otherwise Error(-1) and none.
    void* At(std::int32_t index) const;
    // Inserts item before the item at index; index == Count appends.
    void AtInsert(std::int32_t index, void* item);
    virtual void Insert(void* item);
    // Position of the first item that is this very pointer, or -1.
    virtual std::int32_t IndexOf(void* item);
    // Destroys one item; items of a plain collection are objects.
    virtual void FreeItem(void* item);
    // -1: index out of range, -2: full and cannot grow. Stops the program with 212 - code.
    virtual void Error(std::int32_t code) const;

    // Destroys every item, keeping the capacity.
    void FreeAll();
    void SetLimit(std::int32_t limit);

    // Calls action(item) for every item from position 0 on.
    template <class Action>
    void ForEach(Action&& action) const {
        for (std::int32_t i = 0; i < Count; ++i) {
            action(Items[i]);
        }
    }

    // The first item, from position 0 on, for which test(item) holds, or none.
    template <class Test>
    void* FirstThat(Test&& test) const {
        for (std::int32_t i = 0; i < Count; ++i) {
            if (test(Items[i])) {
                return Items[i];
            }
        }
        return nullptr;
    }

    std::int32_t GetCount() const { return Count; }
    std::int32_t GetLimit() const { return Limit; }
    std::int32_t GetDelta() const { return Delta; }

  protected:
    void** Items = nullptr;
    std::int32_t Count = 0;
    std::int32_t Limit = 0;
    std::int32_t Delta = 0;
};
