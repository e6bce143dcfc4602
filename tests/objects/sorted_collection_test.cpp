#include "objects/sorted_collection.h"

#include <gtest/gtest.h>

#include <cstring>

#include "objects/string_collection.h"

namespace {

// Integer keys stored in the item pointers themselves.
class IntCollection : public SortedCollection {
  public:
    IntCollection() : SortedCollection(10, 5) {}
    ~IntCollection() override { Count = 0; }  // the items are not objects
    std::int32_t Compare(const void* a, const void* b) const override {
        auto x = reinterpret_cast<std::intptr_t>(a);
        auto y = reinterpret_cast<std::intptr_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
};

void* Key(std::intptr_t k) {
    return reinterpret_cast<void*>(k);
}

TEST(SortedCollection, SearchOnEmptyFindsNothingAtZero) {
    IntCollection c;
    std::int32_t index = -5;
    EXPECT_FALSE(c.Search(Key(3), index));
    EXPECT_EQ(index, 0);
}

TEST(SortedCollection, InsertKeepsKeyOrderAndSearchGivesThePlace) {
    IntCollection c;
    for (std::intptr_t k : {50, 10, 40, 20, 30}) {
        c.Insert(Key(k));
    }
    for (std::int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(c.At(i), Key(10 * (i + 1)));
    }
    std::int32_t index = 0;
    EXPECT_TRUE(c.Search(Key(40), index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(c.Search(Key(35), index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(c.Search(Key(99), index));
    EXPECT_EQ(index, 5);
}

TEST(SortedCollection, DuplicateKeyIsNotInsertedUnlessAllowed) {
    IntCollection c;
    c.Insert(Key(1));
    c.Insert(Key(1));
    EXPECT_EQ(c.GetCount(), 1);
    c.Duplicates = true;
    c.Insert(Key(1));
    EXPECT_EQ(c.GetCount(), 2);
    std::int32_t index = -1;
    EXPECT_TRUE(c.Search(Key(1), index));
    EXPECT_EQ(index, 0);  // the first of equal keys
}

TEST(StringCollection, SortsBytesUnsignedAndKeepsNoDuplicates) {
    StringCollection strings(10, 5);
    strings.Insert(NewString("b"));
    strings.Insert(NewString("ček"));  // a Windows-1250 letter sorts after ASCII
    strings.Insert(NewString("a"));
    strings.Insert(NewString("B"));
    char* again = NewString("a");
    strings.Insert(again);
    ASSERT_EQ(strings.GetCount(), 4);
    EXPECT_STREQ(static_cast<char*>(strings.At(0)), "B");
    EXPECT_STREQ(static_cast<char*>(strings.At(1)), "a");
    EXPECT_STREQ(static_cast<char*>(strings.At(2)), "b");
    EXPECT_STREQ(static_cast<char*>(strings.At(3)), "ček");
    EXPECT_EQ(strings.IndexOf(again), 1);  // found by key, not by pointer
    strings.FreeItem(again);               // rejected, so still ours
}

TEST(StringCollection, ShorterPrefixSortsFirst) {
    StringCollection strings(2, 2);
    strings.Insert(NewString("abc"));
    strings.Insert(NewString("ab"));
    EXPECT_STREQ(static_cast<char*>(strings.At(0)), "ab");
    EXPECT_LT(strings.Compare("ab", "abc"), 0);
    EXPECT_EQ(strings.Compare("ab", "ab"), 0);
}

}  // namespace
