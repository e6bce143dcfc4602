#include "framework/thunk_page.h"

#include <cstring>

#include "framework/code_memory.h"
#include "objects/run_error.h"

namespace {

#pragma pack(push, 1)

struct PageHeadX86 {
    std::uint32_t PreviousPage;  // the page committed before this one, 0 for the first
    std::uint8_t PopEcx;         // 0x59  pop ecx: the cell address that the thunk's call pushed
    std::uint8_t Jmp;            // 0xE9  jmp rel32
    std::int32_t ToWindowProc;   //       StandardWindowProc - (page + 10)
};

struct ThunkX86 {
    std::uint8_t Call;    // 0xE8  call rel32: pushes the address of Cell, which follows it
    std::int32_t ToStub;  //       (page + 4) - (thunk + 5)
    std::uint32_t Cell;   //       data: the bound object, or the next free thunk
};

struct PageHeadX64 {
    std::uint64_t PreviousPage;   // the page committed before this one, 0 for the first
    std::uint8_t JmpIndirect[2];  // 0xFF 0x25  jmp qword ptr [rip + disp32]
    std::int32_t ToTarget;        // 0: the target address follows this instruction
    std::uint64_t WindowProc;     // data: StandardWindowProc, out of reach of a rel32 jump
    std::uint8_t Padding[10];     // 0xCC  int3: never reached
};

struct ThunkX64 {
    std::uint8_t MovRax[2];  // 0x48 0xB8  mov rax, imm64 (REX.W, B8+r with r = rax)
    std::uint64_t Cell;      //            imm64: the bound object, or the next free thunk
    std::uint8_t Jmp;        // 0xE9       jmp rel32
    std::int32_t ToStub;     //            (page + 8) - (thunk + 15)
    std::uint8_t Int3;       // 0xCC       int3: never reached
};

#pragma pack(pop)

static_assert(sizeof(PageHeadX86) == FirstThunkOffsetX86, "x86 page head");
static_assert(sizeof(ThunkX86) == ThunkSizeX86, "x86 thunk");
static_assert(offsetof(ThunkX86, Cell) == ThunkCellOffsetX86, "x86 cell");
static_assert(FirstThunkOffsetX86 + ThunksPerPageX86 * ThunkSizeX86 == ThunkPageSize, "x86 page");
static_assert(sizeof(PageHeadX64) == FirstThunkOffsetX64, "x64 page head");
static_assert(offsetof(PageHeadX64, JmpIndirect) == ThunkStubOffsetX64, "x64 stub");
static_assert(sizeof(ThunkX64) == ThunkSizeX64, "x64 thunk");
static_assert(offsetof(ThunkX64, Cell) == ThunkCellOffsetX64, "x64 cell");
static_assert(FirstThunkOffsetX64 + ThunksPerPageX64 * ThunkSizeX64 == ThunkPageSize, "x64 page");

// A rel32 displacement from the end of an instruction; on x86 the 32-bit arithmetic wraps
// around the address space exactly as the processor's does.
std::int32_t Displacement32(std::uint64_t target, std::uint64_t instructionEnd) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(target - instructionEnd));
}

}  // namespace

std::uint32_t WriteThunkPageX86(std::uint8_t* image, std::uint32_t pageAddress,
                                std::uint32_t previousPage, std::uint32_t freeHead,
                                std::uint32_t windowProc) {
    const std::uint32_t stub = pageAddress + ThunkStubOffsetX86;
    PageHeadX86 head{previousPage, 0x59, 0xE9,
                     Displacement32(windowProc, pageAddress + sizeof(PageHeadX86))};
    std::memcpy(image, &head, sizeof head);
    for (std::size_t offset = FirstThunkOffsetX86; offset + ThunkSizeX86 <= ThunkPageSize;
         offset += ThunkSizeX86) {
        const std::uint32_t thunk = pageAddress + static_cast<std::uint32_t>(offset);
        ThunkX86 code{0xE8, Displacement32(stub, thunk + offsetof(ThunkX86, Cell)), freeHead};
        std::memcpy(image + offset, &code, sizeof code);
        freeHead = thunk;
    }
    return freeHead;
}

std::uint64_t WriteThunkPageX64(std::uint8_t* image, std::uint64_t pageAddress,
                                std::uint64_t previousPage, std::uint64_t freeHead,
                                std::uint64_t windowProc) {
    const std::uint64_t stub = pageAddress + ThunkStubOffsetX64;
    PageHeadX64 head{previousPage, {0xFF, 0x25}, 0, windowProc, {}};
    std::memset(head.Padding, 0xCC, sizeof head.Padding);
    std::memcpy(image, &head, sizeof head);
    for (std::size_t offset = FirstThunkOffsetX64; offset + ThunkSizeX64 <= ThunkPageSize;
         offset += ThunkSizeX64) {
        const std::uint64_t thunk = pageAddress + offset;
        ThunkX64 code{{0x48, 0xB8},
                      freeHead,
                      0xE9,
                      Displacement32(stub, thunk + offsetof(ThunkX64, Int3)),
                      0xCC};
        std::memcpy(image + offset, &code, sizeof code);
        freeHead = thunk;
    }
    return freeHead;
}

// The routine every page stub jumps to. It is written in assembly because the thunk hands
// over its object in a register that no C++ calling convention reads: it moves the object
// into an ordinary argument of ObjectWindowProc (the five-argument stdcall function named
// qx7_ObjectWindowProc, declared with the window procedures), so the compiler never sees the
// hand-over and cannot optimise it away or clobber the register first. Not callable from C++.
extern "C" void StandardWindowProc() __asm__("qx7_StandardWindowProc");

#if defined(__x86_64__)

// Entered from the page stub with the system's arguments still in rcx, rdx, r8, r9, the
// system's return address on top of the stack (rsp = 8 modulo 16) and the object in rax.
// The frame of 40 bytes is the 32-byte shadow space plus the fifth argument and brings rsp
// back to a multiple of 16 at the call. The unwind directives describe the frame so the
// system can walk the stack through it.
__asm__(
    ".text\n"
    ".p2align 4\n"
    ".def qx7_StandardWindowProc; .scl 3; .type 32; .endef\n"
    "qx7_StandardWindowProc:\n"
    ".seh_proc qx7_StandardWindowProc\n"
    ".intel_syntax noprefix\n"
    "    sub rsp, 40\n"
    ".seh_stackalloc 40\n"
    ".seh_endprologue\n"
    "    mov qword ptr [rsp + 32], r9\n"  // lParam becomes the fifth argument
    "    mov r9, r8\n"                    // wParam the fourth
    "    mov r8, rdx\n"                   // message the third
    "    mov rdx, rcx\n"                  // window the second
    "    mov rcx, rax\n"                  // the object the first
    "    call qx7_ObjectWindowProc\n"
    "    add rsp, 40\n"
    "    ret\n"
    ".att_syntax prefix\n"
    ".seh_endproc\n");

using NativeAddress = std::uint64_t;
constexpr std::size_t NativeCellOffset = ThunkCellOffsetX64;
constexpr std::size_t NativeThunkSize = ThunkSizeX64;
constexpr std::size_t NativeThunksPerPage = ThunksPerPageX64;
constexpr auto WriteNativePage = WriteThunkPageX64;

#elif defined(__i386__)

// Entered from the page stub with ecx = the thunk's cell and the system's stdcall frame
// untouched: return address, then window, message, wParam, lParam. Inserting the object below
// the return address turns it into a five-argument stdcall frame, whose callee removes all
// five arguments (ret 20), so the system finds its stack as a window procedure leaves it.
// eax and ecx are scratch registers in every x86 calling convention.
__asm__(
    ".text\n"
    ".p2align 4\n"
    "qx7_StandardWindowProc:\n"
    ".intel_syntax noprefix\n"
    "    pop eax\n"               // the system's return address
    "    push dword ptr [ecx]\n"  // the object in the cell becomes the first argument
    "    push eax\n"              // the return address back on top
    "    jmp qx7_ObjectWindowProc\n"
    ".att_syntax prefix\n");

using NativeAddress = std::uint32_t;
constexpr std::size_t NativeCellOffset = ThunkCellOffsetX86;
constexpr std::size_t NativeThunkSize = ThunkSizeX86;
constexpr std::size_t NativeThunksPerPage = ThunksPerPageX86;
constexpr auto WriteNativePage = WriteThunkPageX86;

#else
#error "thunks exist for x86 and x86-64 only"
#endif

namespace {

// The free list, threaded through the cells of the free thunks, and the chain of pages
// through their first words. Both are touched only by the thread that runs the windows.
NativeAddress FreeListHead = 0;
NativeAddress PageChainHead = 0;

NativeAddress ReadCell(NativeAddress thunk) {
    NativeAddress value = 0;
    std::memcpy(&value, reinterpret_cast<const void*>(thunk + NativeCellOffset), sizeof value);
    return value;
}

// On x86-64 the cell is the immediate operand of an instruction, so a changed cell is changed
// code and the instruction cache must hear of it; on x86 the flush is merely harmless.
void WriteCell(NativeAddress thunk, NativeAddress value) {
    std::memcpy(reinterpret_cast<void*>(thunk + NativeCellOffset), &value, sizeof value);
    FlushCode(reinterpret_cast<void*>(thunk), NativeThunkSize);
}

// The framework does not recover from a page that cannot be committed: without a procedure
// no window can be made at all, so the program stops as it does when memory runs out.
void CommitPage() {
    void* page = CommitCodePage(ThunkPageSize);
    if (page == nullptr) {
        RunError(RunErrorOutOfMemory);
    }
    const auto address = reinterpret_cast<NativeAddress>(page);
    FreeListHead =
        WriteNativePage(static_cast<std::uint8_t*>(page), address, PageChainHead, FreeListHead,
                        reinterpret_cast<NativeAddress>(&StandardWindowProc));
    FlushCode(page, ThunkPageSize);
    PageChainHead = address;
}

}  // namespace

std::size_t ThunksPerPage() {
    return NativeThunksPerPage;
}

void* AllocateThunk(WindowObject* object) {
    if (FreeListHead == 0) {
        CommitPage();
    }
    const NativeAddress thunk = FreeListHead;
    FreeListHead = ReadCell(thunk);
    WriteCell(thunk, reinterpret_cast<NativeAddress>(object));
    return reinterpret_cast<void*>(thunk);
}

void FreeThunk(void* thunk) {
    if (thunk == nullptr) {
        return;
    }
    const auto address = reinterpret_cast<NativeAddress>(thunk);
    WriteCell(address, FreeListHead);
    FreeListHead = address;
}

std::size_t ThunkPageCount() {
    std::size_t pages = 0;
    for (NativeAddress page = PageChainHead; page != 0;
         page = *reinterpret_cast<const NativeAddress*>(page)) {
        ++pages;
    }
    return pages;
}

std::size_t LiveThunkCount() {
    std::size_t free = 0;
    for (NativeAddress thunk = FreeListHead; thunk != 0; thunk = ReadCell(thunk)) {
        ++free;
    }
    return ThunkPageCount() * NativeThunksPerPage - free;
}
