// The known name a mistyped word most likely meant, for "did you mean" hints.
#pragma once

#include <string>
#include <vector>

// The name fewest single-character edits (insert, delete, replace) away, when it is close
// enough to be a typing slip: at most 2 edits, and fewer than half the word. Empty otherwise.
std::string NearestName(const std::string& word, const std::vector<std::string>& names);
