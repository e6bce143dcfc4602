#include <cstdio>

#include "objects/run_error_report.h"

void ReportRunError(int code, const char* text) {
    std::fprintf(stderr, "Runtime error %d: %s\n", code, text);
    std::fflush(stderr);
}
