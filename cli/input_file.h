// The files a user names on the command line: read whole and bounded, and refused at once
// when they are not regular files, so that swapped arguments never block on a device.
#pragma once

#include <cstdint>
#include <string>

constexpr std::uintmax_t MaxInputFileSize = 1024 * 1024;

// The file's bytes; CommandFailure (exit code 2, naming the file) for anything that is not a
// regular file of at most MaxInputFileSize bytes that can be read.
std::string ReadInputFile(const std::string& path);

// For a file about to be written or appended to: CommandFailure (exit code 2) when the path
// exists as anything but a regular file.
void CheckOutputPath(const std::string& path);
