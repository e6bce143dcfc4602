#include "app/dialogs/record_keeper.h"

#include "app/ui_texts.h"
#include "records/record_log.h"
#include "records/record_stamp.h"
#include "records/records_folder.h"

namespace {

// The program's name in its records: the file name users know it by.
constexpr char RecordingProgram[] = "qx7config";

}  // namespace

bool RecordKeeper::Keep(CalibrationRecord record) {
    StampRecord(record, RecordingProgram, UtcClock());
    const RecordLog log(RecordsFolder());
    Folder = log.Folder();
    return log.Append(record);
}

void RecordKeeper::SayNotKept(HWND owner) const {
    Text text(UiText::RecordNotKept);
    text.Append(Folder.Empty() ? Text(UiText::NoRecordsFolder) : Folder);
    MessageBoxA(owner, text.Data(), UiText::Calibration, MB_ICONWARNING);
}
