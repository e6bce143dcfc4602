// The language the user's system speaks, for what qx7ctl prints to paper: "cs" or "en".
#pragma once

#include <string>

// "cs" for a Czech system, "en" for any other.
std::string SystemLanguage();
