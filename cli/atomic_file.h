// Replacing a file a user may already have as a whole: the new text goes to a temporary file
// beside it, which is renamed over the target only once complete, so a reader, a crash or a
// failed write never leaves half a file or destroys the old one.
#pragma once

#include <string>

// False, with the reason in problem, when the file could not be replaced; the target is then
// as it was and no temporary file remains.
bool ReplaceWholeFile(const std::string& path, const std::string& text, std::string& problem);
