// Memory for generated code: the one place where the thunk page meets the operating system.
#pragma once

#include <cstddef>

// size bytes, page-aligned, that may be read, written and executed; none when the system
// refuses them.
void* CommitCodePage(std::size_t size);

// Makes the processor fetch the bytes just written to code, not stale ones.
void FlushCode(void* code, std::size_t size);
