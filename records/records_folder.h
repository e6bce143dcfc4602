// Where the calibration logs live: QX7_RECORDS when it is set (a team's shared folder), else
// the user's own data folder.
#pragma once

#include "records/text.h"

// Empty when neither QX7_RECORDS nor the user's data folder is known.
Text RecordsFolder();

// The platform's default: %LOCALAPPDATA%\QX7\records on Windows, $XDG_DATA_HOME/qx7/records
// (or ~/.local/share/qx7/records) elsewhere.
Text DefaultRecordsFolder();

// Creates the folder and any missing folders above it; true when it exists afterwards.
bool MakeFolders(const Text& path);

// The separator the platform writes between a folder and a name.
extern const char PathSeparator;
