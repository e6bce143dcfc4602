// The command line that starts a program this build made. A program of the 32-bit Linux build
// is never executed directly, but always through the build's emulator (qemu-i386), so that a
// test behaves the same on machines that run 32-bit x86 code and on those that cannot
// (ENOEXEC there); the test command even runs that suite with 32-bit system calls refused.
#pragma once

#include <string>
#include <vector>

// {emulator..., program}; only {program} where the build's programs run natively.
std::vector<std::string> ProgramCommand(const std::string& program);
