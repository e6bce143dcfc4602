#include "objects/run_error.h"

#include <cstdlib>

#include "objects/run_error_report.h"

namespace {

const char* RunErrorText(int code) {
    switch (code) {
        case RunErrorOutOfMemory:
            return "out of memory";
        case RunErrorAbstract:
            return "abstract operation called";
        case RunErrorRange:
            return "collection index out of range";
        case RunErrorOverflow:
            return "collection overflow";
        default:
            return "internal error";
    }
}

}  // namespace

[[noreturn]] void RunError(int code) {
    ReportRunError(code, RunErrorText(code));
    std::_Exit(code);
}

// The C++ runtime calls this when a pure virtual operation is reached (from a constructor or
// destructor, or through a damaged object); it is the object library's abstract-call error.
extern "C" [[noreturn]] void __cxa_pure_virtual() {
    RunError(RunErrorAbstract);
}
