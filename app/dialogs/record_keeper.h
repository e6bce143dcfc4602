// Keeps the window program's calibration records in the records folder. A record that cannot
// be kept never holds up the transmitter: the dialog says so once, after its writes.
#pragma once

#include <windows.h>

#include "records/calibration_record.h"
#include "records/text.h"

class RecordKeeper {
  public:
    // Stamps the record with the time, this program and the user, and appends it to its
    // transmitter's log; false when it could not be kept.
    bool Keep(CalibrationRecord record);
    // After a failed Keep: one message box over owner that names the folder.
    void SayNotKept(HWND owner) const;

  private:
    Text Folder;
};
