// Executable thunks through which the system calls a window procedure bound to one object.
// Free of the window system, so that its 32-bit x86 code also runs in the i386 test build.
#pragma once

#include <cstddef>
#include <cstdint>

class WindowObject;

constexpr std::size_t ThunkPageSize = 4096;

// 32-bit x86 page: the page chain word at 0, the shared stub at 4, then 454 thunks of 9 bytes
// from offset 10, the last ending at the end of the page.
constexpr std::size_t ThunkStubOffsetX86 = 4;
constexpr std::size_t FirstThunkOffsetX86 = 10;
constexpr std::size_t ThunkSizeX86 = 9;
constexpr std::size_t ThunkCellOffsetX86 = 5;
constexpr std::size_t ThunksPerPageX86 = 454;

// x86-64 page: the page chain word at 0, the shared stub at 8, then 254 thunks of 16 bytes
// from offset 32, the last ending at the end of the page.
constexpr std::size_t ThunkStubOffsetX64 = 8;
constexpr std::size_t FirstThunkOffsetX64 = 32;
constexpr std::size_t ThunkSizeX64 = 16;
constexpr std::size_t ThunkCellOffsetX64 = 2;
constexpr std::size_t ThunksPerPageX64 = 254;

// Writes the code of a fresh page into image, for a page that lives at pageAddress and whose
// stub leads to windowProc. Every thunk goes onto the free list headed by freeHead, in
// ascending address order; returns the new head (the thunk nearest the end of the page).
// These only write bytes, so the layout of either processor can be checked on any machine.
std::uint32_t WriteThunkPageX86(std::uint8_t* image, std::uint32_t pageAddress,
                                std::uint32_t previousPage, std::uint32_t freeHead,
                                std::uint32_t windowProc);
std::uint64_t WriteThunkPageX64(std::uint8_t* image, std::uint64_t pageAddress,
                                std::uint64_t previousPage, std::uint64_t freeHead,
                                std::uint64_t windowProc);

// How many thunks one page of this process's processor holds.
std::size_t ThunksPerPage();

// A thunk bound to object: the address of code that the system may call as a window or dialog
// procedure, which hands the call to ObjectWindowProc with object as its first argument. The
// most recently freed thunk is handed out first; a new page is committed when none is free.
void* AllocateThunk(WindowObject* object);
// Puts a thunk back on the free list; nothing for none.
void FreeThunk(void* thunk);

// The bookkeeping of the allocator, for leak checks: thunks bound now, and pages committed
// (pages are never released).
std::size_t LiveThunkCount();
std::size_t ThunkPageCount();
