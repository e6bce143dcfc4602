#include "framework/code_memory.h"

#include <sys/mman.h>

void* CommitCodePage(std::size_t size) {
    void* page =
        mmap(nullptr, size, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return page == MAP_FAILED ? nullptr : page;
}

void FlushCode(void* code, std::size_t size) {
    char* begin = static_cast<char*>(code);
    __builtin___clear_cache(begin, begin + size);
}
