// A system that refuses the thunk page: the program stops with the run-time error for memory
// that cannot be had, instead of writing thunks into no page at all.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "framework/code_memory.h"
#include "framework/thunk_page.h"
#include "objects/run_error.h"

// This test's code memory: the system refuses every page. The library's own edge is not
// linked in, as these definitions leave nothing for it to resolve.
void* CommitCodePage(std::size_t) {
    return nullptr;
}

void FlushCode(void*, std::size_t) {}

// The hand-over needs a procedure to jump to; no thunk is ever called here.
extern "C" __attribute__((stdcall, used)) std::uint32_t StandInWindowProc(
    std::uint32_t object, std::uint32_t window, std::uint32_t message, std::uint32_t wParam,
    std::uint32_t lParam) __asm__("qx7_ObjectWindowProc");

std::uint32_t StandInWindowProc(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                std::uint32_t) {
    return 0;
}

TEST(ThunkPage, ARefusedPageStopsTheProgramWithRunTimeError203) {
    EXPECT_EXIT(AllocateThunk(nullptr), testing::ExitedWithCode(RunErrorOutOfMemory), "203");
}
