// The version of this build, as cmake/version.cmake reads it from git: "MAJOR.MINOR.PATCH", and
// after the tag's commits "-N-gHASH". It changes with every commit, so it is compiled into
// build_version.cpp alone: every other file compiles to the same bytes from one commit to the
// next, and the compiler cache serves it.
#pragma once

const char* BuildVersion();
