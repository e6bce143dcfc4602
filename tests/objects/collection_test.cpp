#include "objects/collection.h"

#include <gtest/gtest.h>

#include <vector>

#include "objects/run_error.h"
#include "tests/objects/abstract_hook.h"

namespace {

// An item that records the order in which items are destroyed.
class Tracked : public BaseObject {
  public:
    Tracked(std::vector<int>& log, int id) : Log(log), Id(id) {}
    ~Tracked() override { Log.push_back(Id); }

    std::vector<int>& Log;
    int Id;
};

TEST(Collection, GrowsByDeltaWhenFull) {
    std::vector<int> log;
    Collection c(10, 5);
    for (int i = 0; i < 10; ++i) {
        c.Insert(new Tracked(log, i));
    }
    EXPECT_EQ(c.GetLimit(), 10);
    c.Insert(new Tracked(log, 10));
    EXPECT_EQ(c.GetLimit(), 15);
    EXPECT_EQ(c.GetCount(), 11);
    EXPECT_EQ(static_cast<Tracked*>(c.At(10))->Id, 10);
}

TEST(Collection, FixedSizeCollectionStopsWithOverflowError) {
    EXPECT_EXIT(
        {
            Collection c(5, 0);
            for (int i = 0; i < 6; ++i) {
                c.Insert(nullptr);
            }
        },
        testing::ExitedWithCode(RunErrorOverflow), "Runtime error 214");
}

TEST(Collection, IndexOutOfRangeStopsWithRangeError) {
    EXPECT_EXIT(
        {
            Collection c(5, 0);
            c.At(-1);
        },
        testing::ExitedWithCode(RunErrorRange), "Runtime error 213");
    EXPECT_EXIT(
        {
            Collection c(5, 0);
            c.Insert(nullptr);
            c.At(1);
        },
        testing::ExitedWithCode(RunErrorRange), "Runtime error 213");
    EXPECT_EXIT(
        {
            Collection c(5, 0);
            c.AtInsert(1, nullptr);
        },
        testing::ExitedWithCode(RunErrorRange), "Runtime error 213");
}

TEST(Collection, SetLimitNeverDropsItemsNorPassesTheCeiling) {
    Collection c(10, 0);
    for (int i = 0; i < 7; ++i) {
        c.Insert(nullptr);
    }
    c.SetLimit(3);
    EXPECT_EQ(c.GetLimit(), 7);
    c.SetLimit(20000);
    EXPECT_EQ(c.GetLimit(), MaxCollectionSize);
    EXPECT_EQ(c.GetCount(), 7);
}

TEST(Collection, StopsGrowingAtTheCeiling) {
    EXPECT_EXIT(
        {
            Collection c(MaxCollectionSize - 2, 100);
            for (int i = 0; i <= MaxCollectionSize; ++i) {
                c.Insert(nullptr);
            }
        },
        testing::ExitedWithCode(RunErrorOverflow), "");
}

TEST(Collection, AtInsertShiftsLaterItemsUp) {
    std::vector<int> log;
    Collection c(4, 0);
    auto* a = new Tracked(log, 1);
    auto* b = new Tracked(log, 2);
    auto* middle = new Tracked(log, 3);
    c.Insert(a);
    c.Insert(b);
    c.AtInsert(1, middle);
    EXPECT_EQ(c.At(0), a);
    EXPECT_EQ(c.At(1), middle);
    EXPECT_EQ(c.At(2), b);
    EXPECT_EQ(c.IndexOf(b), 2);
    EXPECT_EQ(c.IndexOf(nullptr), -1);
}

TEST(Collection, DestroysItsItemsFirstToLast) {
    std::vector<int> log;
    auto* c = new Collection(5, 0);
    c->Insert(new Tracked(log, 1));
    c->Insert(nullptr);
    c->Insert(new Tracked(log, 2));
    c->Free();
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST(Collection, FreeAllKeepsTheCapacity) {
    std::vector<int> log;
    Collection c(3, 2);
    for (int i = 0; i < 4; ++i) {
        c.Insert(new Tracked(log, i));
    }
    c.FreeAll();
    EXPECT_EQ(c.GetCount(), 0);
    EXPECT_EQ(c.GetLimit(), 5);
    EXPECT_EQ(log, (std::vector<int>{0, 1, 2, 3}));
}

TEST(Collection, ForEachAndFirstThatSeeTheCallersLocals) {
    std::vector<int> log;
    Collection c(5, 0);
    for (int i = 1; i <= 4; ++i) {
        c.Insert(new Tracked(log, i));
    }
    int sum = 0;
    c.ForEach([&](void* item) { sum += static_cast<Tracked*>(item)->Id; });
    EXPECT_EQ(sum, 10);
    int wanted = 3;
    auto* found = static_cast<Tracked*>(
        c.FirstThat([&](void* item) { return static_cast<Tracked*>(item)->Id >= wanted; }));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Id, 3);
    EXPECT_EQ(c.FirstThat([](void*) { return false; }), nullptr);
}

TEST(Collection, EmptyCollectionVisitsNothing) {
    Collection c(0, 0);
    int calls = 0;
    c.ForEach([&](void*) { ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(c.FirstThat([](void*) { return true; }), nullptr);
}

TEST(Collection, NewObjectsStartZeroFilled) {
    struct Plain : BaseObject {
        int Fields[16];
    };
    auto* p = new Plain;
    for (int v : p->Fields) {
        EXPECT_EQ(v, 0);
    }
    p->Free();
}

// Reaches an abstract operation while the object is being constructed. The call is made in
// another file, where the optimiser cannot know that it is undefined and drop it.
class Abstract : public AbstractHook {
  public:
    Abstract() { CallHook(*this); }
};

class Concrete : public Abstract {
  public:
    void Hook() override {}
};

TEST(RunError, AbstractOperationStopsWithError211) {
    EXPECT_EXIT({ Concrete c; }, testing::ExitedWithCode(RunErrorAbstract), "Runtime error 211");
}

}  // namespace
