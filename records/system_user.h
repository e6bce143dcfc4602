// The name of the user the program runs as, in UTF-8: the operator of a record.
#pragma once

#include "records/text.h"

// Empty when the system does not say.
Text SystemUserName();
