// The thunk pages: the 32-bit and 64-bit code laid out byte for byte, and the allocator that
// hands thunks out of them.
#include "framework/thunk_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/framework/test_windows.h"

namespace {

std::uint32_t Word32(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::uint64_t Word64(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

TEST(ThunkPageX86, PageStartsWithTheChainWordAndTheStubThatJumpsToTheWindowProcedure) {
    std::vector<std::uint8_t> page(ThunkPageSize, 0xAA);
    WriteThunkPageX86(page.data(), 0x00410000, 0x003F0000, 0, 0x00401230);

    EXPECT_EQ(Word32(&page[0]), 0x003F0000u);
    EXPECT_EQ(page[4], 0x59);  // pop ecx
    EXPECT_EQ(page[5], 0xE9);  // jmp rel32
    EXPECT_EQ(Word32(&page[6]), 0x00401230u - 0x0041000Au);
}

TEST(ThunkPageX86, FourHundredFiftyFourThunksCallTheStubAndChainTheFreeList) {
    std::vector<std::uint8_t> page(ThunkPageSize, 0xAA);
    const std::uint32_t base = 0x00410000;
    const std::uint32_t head = WriteThunkPageX86(page.data(), base, 0, 0x00520000, 0x00401230);

    std::uint32_t expectedCell = 0x00520000;  // the list the page was pushed onto
    std::size_t thunks = 0;
    for (std::size_t offset = 10; offset < ThunkPageSize; offset += 9, ++thunks) {
        ASSERT_EQ(page[offset], 0xE8) << "call rel32 at " << offset;
        const std::uint32_t thunk = base + static_cast<std::uint32_t>(offset);
        EXPECT_EQ(Word32(&page[offset + 1]), base + 4 - (thunk + 5)) << offset;
        EXPECT_EQ(Word32(&page[offset + 5]), expectedCell) << offset;
        expectedCell = thunk;
    }
    EXPECT_EQ(thunks, 454u);
    EXPECT_EQ(head, base + 4087);
    EXPECT_EQ(Word32(&page[4087 + 5]), base + 4078);
}

TEST(ThunkPageX86, DisplacementsWrapAroundTheAddressSpace) {
    std::vector<std::uint8_t> page(ThunkPageSize);
    WriteThunkPageX86(page.data(), 0xFFFF0000, 0, 0, 0x00001000);

    // 0x1000 - 0xFFFF000A, taken modulo 2^32, is a short jump forward over the top.
    EXPECT_EQ(Word32(&page[6]), 0x00010FF6u);
    EXPECT_EQ(Word32(&page[11]), 0xFFFFFFF5u);  // -11: back from the end of the call to page + 4
}

TEST(ThunkPageX64, StubJumpsThroughAnAbsoluteAddressAndThunksLoadTheirCell) {
    std::vector<std::uint8_t> page(ThunkPageSize);
    const std::uint64_t base = 0x00007FF000010000;
    const std::uint64_t proc = 0x0000000140001000;
    const std::uint64_t head = WriteThunkPageX64(page.data(), base, 0x1000, 0, proc);

    EXPECT_EQ(Word64(&page[0]), 0x1000u);
    EXPECT_EQ(page[8], 0xFF);  // jmp qword ptr [rip + 0]
    EXPECT_EQ(page[9], 0x25);
    EXPECT_EQ(Word32(&page[10]), 0u);
    EXPECT_EQ(Word64(&page[14]), proc);

    std::uint64_t expectedCell = 0;
    std::size_t thunks = 0;
    for (std::size_t offset = 32; offset < ThunkPageSize; offset += 16, ++thunks) {
        const std::uint64_t thunk = base + offset;
        ASSERT_EQ(page[offset], 0x48) << offset;  // mov rax, imm64
        ASSERT_EQ(page[offset + 1], 0xB8) << offset;
        EXPECT_EQ(Word64(&page[offset + 2]), expectedCell) << offset;
        ASSERT_EQ(page[offset + 10], 0xE9) << offset;  // jmp rel32 to page + 8
        EXPECT_EQ(static_cast<std::int32_t>(Word32(&page[offset + 11])),
                  static_cast<std::int64_t>(base + 8) - static_cast<std::int64_t>(thunk + 15));
        expectedCell = thunk;
    }
    EXPECT_EQ(thunks, 254u);
    EXPECT_EQ(head, base + 4096 - 16);
}

// Objects whose only purpose is to hold a thunk.
class BareObject : public RecordingWindow {
  public:
    BareObject() : RecordingWindow(nullptr) {}
};

TEST(ThunkAllocator, AFullPageAndOneMoreObjectOpensTheNextPage) {
    const std::size_t pages = ThunkPageCount();
    const std::size_t freeOnPages = pages * ThunksPerPage() - LiveThunkCount();

    std::vector<BareObject*> objects;
    for (std::size_t i = 0; i < freeOnPages; ++i) {
        objects.push_back(new BareObject);
    }
    EXPECT_EQ(ThunkPageCount(), pages);
    objects.push_back(new BareObject);
    EXPECT_EQ(ThunkPageCount(), pages + 1);
    EXPECT_EQ(LiveThunkCount(), (pages + 1) * ThunksPerPage() - (ThunksPerPage() - 1));

    for (BareObject* object : objects) {
        object->Free();
    }
    EXPECT_EQ(ThunkPageCount(), pages + 1) << "pages are never released";
}

TEST(ThunkAllocator, AFreshPageHandsOutItsHighestThunkFirst) {
    std::vector<BareObject*> objects;
    const std::size_t pages = ThunkPageCount();
    while (ThunkPageCount() == pages) {
        objects.push_back(new BareObject);
    }
    const auto first = reinterpret_cast<std::uintptr_t>(objects.back()->Thunk);
    const std::size_t thunkSize = sizeof(void*) == 4 ? ThunkSizeX86 : ThunkSizeX64;
    EXPECT_EQ(first % ThunkPageSize, ThunkPageSize - thunkSize);
    for (BareObject* object : objects) {
        object->Free();
    }
}

TEST(ThunkAllocator, TheMostRecentlyFreedThunkIsTheNextHandedOut) {
    auto* a = new BareObject;
    auto* b = new BareObject;
    auto* c = new BareObject;
    const WNDPROC thunkOfA = a->Thunk;
    const WNDPROC thunkOfC = c->Thunk;
    EXPECT_NE(a->Thunk, b->Thunk);

    c->Free();
    a->Free();
    auto* d = new BareObject;
    auto* e = new BareObject;
    EXPECT_EQ(d->Thunk, thunkOfA);
    EXPECT_EQ(e->Thunk, thunkOfC);

    b->Free();
    d->Free();
    e->Free();
}

// A thunk must pass the system's four arguments, whole, and return what the handler decided.
class EchoObject : public RecordingWindow {
  public:
    EchoObject() : RecordingWindow(nullptr) {}
    void HandleMessage(MessageRecord& msg) override {
        Seen = msg;
        msg.Result = static_cast<LRESULT>(msg.LParam ^ 0x5A5A);
    }
    MessageRecord Seen{};
};

TEST(ThunkCall, TheSystemsArgumentsReachTheObjectAndItsResultComesBack) {
    auto* object = new EchoObject;
    auto window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
    const auto wParam = static_cast<WPARAM>(-2);
    const auto lParam = static_cast<LPARAM>(static_cast<std::uintptr_t>(-0x10000) | 0x77);

    const LRESULT result = object->Thunk(window, WM_USER + 9, wParam, lParam);

    EXPECT_EQ(object->Seen.Receiver, window);
    EXPECT_EQ(object->Seen.Message, static_cast<UINT>(WM_USER + 9));
    EXPECT_EQ(object->Seen.WParam, wParam);
    EXPECT_EQ(object->Seen.LParam, lParam);
    EXPECT_EQ(object->Seen.Result, 1) << "every message starts as handled";
    EXPECT_EQ(result, lParam ^ 0x5A5A);
    object->Free();
}

}  // namespace
