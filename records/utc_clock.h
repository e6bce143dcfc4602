// The current UTC time as a record writes it, behind a seam so that tests can fix it.
#pragma once

#include "records/text.h"

class UtcClock {
  public:
    virtual ~UtcClock() = default;

    // ISO 8601 to the second: 2026-06-30T08:15:02Z.
    virtual Text Now() const;
};
