// The 32-bit x86 thunks executed: a thunk called as a stdcall window procedure reaches
// ObjectWindowProc with its object and the four arguments, and leaves the stack as it found it.
// Built for i386 Linux only, where a stand-in takes the place of the framework's procedure.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/thunk_page.h"

namespace {

struct Call {
    std::uint32_t Object;
    std::uint32_t Window;
    std::uint32_t Message;
    std::uint32_t WParam;
    std::uint32_t LParam;
};

Call LastCall{};
int Calls = 0;

}  // namespace

// The stand-in for the framework's procedure, under the name the hand-over jumps to. Windows
// keeps the stack 4-byte aligned only, as the shipped program's build assumes; so does it.
extern "C" __attribute__((stdcall, force_align_arg_pointer, used)) std::uint32_t StandInWindowProc(
    std::uint32_t object, std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
    std::uint32_t lParam) __asm__("qx7_ObjectWindowProc");

std::uint32_t StandInWindowProc(std::uint32_t object, std::uint32_t window, std::uint32_t message,
                                std::uint32_t wParam, std::uint32_t lParam) {
    LastCall = {object, window, message, wParam, lParam};
    ++Calls;
    return object ^ window ^ message ^ wParam ^ (lParam >> 1);
}

// Calls procedure as the system calls a window procedure (four arguments, stdcall, the stack
// 16-byte aligned at the call) and stores in *stackMoved how far the stack pointer is from
// where it was before the arguments were pushed. esi is preserved by every callee.
extern "C" std::uint32_t CallAsWindowProc(
    void* procedure, std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
    std::uint32_t lParam, std::int32_t* stackMoved) __asm__("qx7_test_CallAsWindowProc");

__asm__(
    ".text\n"
    ".p2align 4\n"
    "qx7_test_CallAsWindowProc:\n"
    ".intel_syntax noprefix\n"
    "    push esi\n"
    "    push edi\n"
    "    mov edi, esp\n"  // the arguments: [edi + 12] procedure ... [edi + 32] stackMoved
    "    and esp, -16\n"
    "    mov esi, esp\n"  // where the stack must be once the procedure has returned
    "    push dword ptr [edi + 28]\n"
    "    push dword ptr [edi + 24]\n"
    "    push dword ptr [edi + 20]\n"
    "    push dword ptr [edi + 16]\n"
    "    call dword ptr [edi + 12]\n"
    "    mov ecx, esp\n"
    "    sub ecx, esi\n"
    "    mov edx, dword ptr [edi + 32]\n"
    "    mov dword ptr [edx], ecx\n"
    "    mov esp, edi\n"
    "    pop edi\n"
    "    pop esi\n"
    "    ret\n"
    ".att_syntax prefix\n");

namespace {

WindowObject* FakeObject(std::uint32_t address) {
    return reinterpret_cast<WindowObject*>(static_cast<std::uintptr_t>(address));
}

std::uint32_t Address(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

std::uint32_t PageOf(const void* thunk) {
    return Address(thunk) & ~static_cast<std::uint32_t>(ThunkPageSize - 1);
}

TEST(ThunkHandOver, TheObjectAndTheFourArgumentsArriveUnchangedAndTheResultComesBack) {
    ASSERT_EQ(sizeof(void*), 4u) << "this suite is the 32-bit x86 build's";
    void* thunkA = AllocateThunk(FakeObject(0x0BADF00D));
    void* thunkB = AllocateThunk(FakeObject(0xFFFFFFFC));

    // All bits of every argument, the sign bits included, must survive.
    std::int32_t moved = -1;
    std::uint32_t result =
        CallAsWindowProc(thunkA, 0x00010203, 0x0111, 0xFFFFFFFE, 0x80000077, &moved);
    EXPECT_EQ(LastCall.Object, 0x0BADF00Du);
    EXPECT_EQ(LastCall.Window, 0x00010203u);
    EXPECT_EQ(LastCall.Message, 0x0111u);
    EXPECT_EQ(LastCall.WParam, 0xFFFFFFFEu);
    EXPECT_EQ(LastCall.LParam, 0x80000077u);
    EXPECT_EQ(result, 0x0BADF00Du ^ 0x00010203u ^ 0x0111u ^ 0xFFFFFFFEu ^ (0x80000077u >> 1));
    EXPECT_EQ(moved, 0);

    result = CallAsWindowProc(thunkB, 0, 0xC0DE, 0, 0xFFFFFFFF, &moved);
    EXPECT_EQ(LastCall.Object, 0xFFFFFFFCu);
    EXPECT_EQ(LastCall.Window, 0u);
    EXPECT_EQ(LastCall.LParam, 0xFFFFFFFFu);
    EXPECT_EQ(result, 0xFFFFFFFCu ^ 0xC0DEu ^ 0x7FFFFFFFu);
    EXPECT_EQ(moved, 0);

    FreeThunk(thunkB);
    FreeThunk(thunkA);
}

TEST(ThunkHandOver, TheStackPointerIsTheSameAfterThousandsOfCallsOverTwoPages) {
    std::vector<void*> thunks;
    const std::size_t count = ThunksPerPage() + 46;  // 500: the second page is used too
    for (std::size_t i = 0; i < count; ++i) {
        thunks.push_back(AllocateThunk(FakeObject(0x1000 + static_cast<std::uint32_t>(i))));
    }
    const int callsBefore = Calls;
    std::int64_t totalMoved = 0;
    std::size_t wrongObjects = 0;
    for (std::uint32_t round = 0; round < 10; ++round) {
        for (std::size_t i = 0; i < count; ++i) {
            std::int32_t moved = 0;
            CallAsWindowProc(thunks[i], round, 0x0F, i, ~round, &moved);
            totalMoved += moved;
            wrongObjects += LastCall.Object != 0x1000 + i;
        }
    }
    EXPECT_EQ(Calls - callsBefore, 5000);
    EXPECT_EQ(totalMoved, 0) << "bytes the stack pointer moved over 5000 calls";
    EXPECT_EQ(wrongObjects, 0u);
    for (void* thunk : thunks) {
        FreeThunk(thunk);
    }
}

TEST(ThunkAllocatorX86, FreedThunksAreHandedOutAgainLastInFirstOut) {
    void* a = AllocateThunk(FakeObject(0xA));
    void* b = AllocateThunk(FakeObject(0xB));
    void* c = AllocateThunk(FakeObject(0xC));
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);

    FreeThunk(c);
    FreeThunk(a);
    void* d = AllocateThunk(FakeObject(0xD));
    void* e = AllocateThunk(FakeObject(0xE));
    EXPECT_EQ(d, a);
    EXPECT_EQ(e, c);

    // The reused thunk carries its new object, not the one it had or the free list's link.
    std::int32_t moved = 0;
    CallAsWindowProc(d, 1, 2, 3, 4, &moved);
    EXPECT_EQ(LastCall.Object, 0xDu);

    FreeThunk(b);
    FreeThunk(d);
    FreeThunk(e);
}

// Allocates until a page is committed; returns the thunk that came from it.
void* AllocateUntilANewPage(std::vector<void*>& thunks) {
    const std::size_t pages = ThunkPageCount();
    while (ThunkPageCount() == pages) {
        thunks.push_back(AllocateThunk(FakeObject(Address(&thunks))));
    }
    return thunks.back();
}

TEST(ThunkAllocatorX86, ANewPageChainsToThePreviousOneAndStartsAtItsHighestThunk) {
    std::vector<void*> thunks;
    const std::size_t liveBefore = LiveThunkCount();
    void* first = AllocateUntilANewPage(thunks);
    const std::size_t allocatedBefore = thunks.size();
    void* second = AllocateUntilANewPage(thunks);

    EXPECT_EQ(thunks.size() - allocatedBefore, ThunksPerPage());
    EXPECT_EQ(Address(first) % ThunkPageSize, ThunkPageSize - ThunkSizeX86);
    EXPECT_EQ(Address(second) % ThunkPageSize, ThunkPageSize - ThunkSizeX86);
    std::uint32_t chain = 0;
    std::memcpy(&chain, reinterpret_cast<const void*>(PageOf(second)), sizeof chain);
    EXPECT_EQ(chain, PageOf(first));

    // Both pages' code runs.
    std::int32_t moved = 0;
    CallAsWindowProc(first, 0, 0, 0, 0, &moved);
    EXPECT_EQ(moved, 0);
    CallAsWindowProc(second, 0, 0, 0, 0, &moved);
    EXPECT_EQ(moved, 0);

    const std::size_t pages = ThunkPageCount();
    for (void* thunk : thunks) {
        FreeThunk(thunk);
    }
    EXPECT_EQ(LiveThunkCount(), liveBefore);
    EXPECT_EQ(ThunkPageCount(), pages) << "pages are never released";
}

}  // namespace
