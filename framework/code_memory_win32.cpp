#include "framework/code_memory.h"

#include <windows.h>

void* CommitCodePage(std::size_t size) {
    // The page on success, nullptr on failure, which is the none of the caller.
    return VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
}

void FlushCode(void* code, std::size_t size) {
    // GetCurrentProcess cannot fail: it is a constant pseudo-handle. FlushInstructionCache:
    // nonzero on success; a failed flush leaves nothing to do on x86, whose instruction cache
    // follows writes by itself.
    FlushInstructionCache(GetCurrentProcess(), code, size);
}
