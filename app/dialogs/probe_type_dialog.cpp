#include "app/dialogs/probe_type_dialog.h"

#include "app/dialogs/record_keeper.h"
#include "app/ui_texts.h"
#include "calibration/probe_kind.h"
#include "calibration/probe_kind_defaults.h"
#include "framework/number_text.h"
#include "resources/resource_ids.h"

namespace {

constexpr int KindComboId = 101;

// The defaults' writes in their order, as bits of WrittenDefaults and names in a record.
constexpr std::uint32_t KindWritten = 1;
constexpr std::uint32_t DateWritten = 2;
constexpr std::uint32_t OffsetWritten = 4;
constexpr std::uint32_t SlopeWritten = 8;
constexpr std::uint32_t RangeMinWritten = 16;
constexpr std::uint32_t RangeMaxWritten = 32;
constexpr const char* DefaultNames[] = {"probe_kind", "date",      "offset",
                                        "slope",      "range_min", "range_max"};

}  // namespace

ProbeTypeDialog::ProbeTypeDialog(WindowObject* parent, Transmitter& link,
                                 const DisplayRecord& displays)
    : ToolDialog(parent, QX7_DIALOG_PROBE_TYPE), Link(link), Displays(displays) {
    KindCombo = new ComboBox(this, InitResource, KindComboId, 0);
}

void ProbeTypeDialog::SetupWindow() {
    ToolDialog::SetupWindow();
    std::uint8_t kind = 0;
    KindKnown = Link.ReadProbeKind(kind);
    if (KindKnown) {
        KindCombo->AddString(InputKindName(ProbeKindPh));
        KindCombo->AddString(InputKindName(ProbeKindIse));
        // A kind the list does not hold leaves nothing selected.
        KindCombo->SetSelectedIndex(kind);
    } else {
        KindCombo->AddString(UiText::CommunicationError);
        KindCombo->SetSelectedIndex(0);
    }
}

void ProbeTypeDialog::Ok(MessageRecord& msg) {
    // The list then offered no kind to choose, and writing one would wipe the calibration of
    // whatever probe is fitted.
    if (!KindKnown) {
        Cancel(msg);
        return;
    }
    const std::int32_t selected = KindCombo->GetSelectedIndex();
    // No selection is -1, whose low byte would store 255 as the kind; the user must choose.
    if (selected < 0) {
        return;
    }
    CalibrationRecord record;
    record.Event = RecordEvent::ProbeKindReset;
    record.Device = Displays.Facts.Device;
    record.AsFound = Displays.Facts.Calibration;
    WrittenDefaults = 0;
    ApplyProbeKindDefaults(Link, static_cast<std::uint8_t>(selected), *this);
    CalibrationValues& left = Displays.Facts.Calibration;
    // A write that failed may or may not have reached the transmitter.
    if ((WrittenDefaults & KindWritten) == 0) {
        left.ProbeKind.reset();
    }
    if ((WrittenDefaults & DateWritten) == 0) {
        left.Date.reset();
    }
    if ((WrittenDefaults & OffsetWritten) == 0) {
        left.Offset.reset();
    }
    if ((WrittenDefaults & SlopeWritten) == 0) {
        left.Slope.reset();
    }
    record.AsLeft = left;
    for (std::uint32_t bit = 0; bit < 6; ++bit) {
        if ((WrittenDefaults & 1u << bit) == 0) {
            record.AddFailedWrite(DefaultNames[bit]);
        }
    }
    record.Outcome =
        record.FailedWriteCount == 0 ? RecordOutcome::Written : RecordOutcome::WriteFailed;
    RecordKeeper keeper;
    if (!keeper.Keep(record)) {
        keeper.SayNotKept(Handle);
    }
    ToolDialog::Ok(msg);
}

void ProbeTypeDialog::ShowProbeKind(std::uint8_t kind) {
    Displays.ProbeField.SetInputKind(kind);
    Displays.Facts.Calibration.ProbeKind = kind;
    WrittenDefaults |= KindWritten;
}

void ProbeTypeDialog::ShowCalibrationDate(std::uint32_t date) {
    Displays.CalibrationField.SetDate(date);
    Displays.Facts.Calibration.Date = date;
    WrittenDefaults |= DateWritten;
}

void ProbeTypeDialog::ShowOffset(float millivolt) {
    Displays.OffsetField.SetFloat(3, millivolt);
    Displays.Facts.Calibration.Offset = millivolt;
    WrittenDefaults |= OffsetWritten;
}

void ProbeTypeDialog::ShowSensitivity(float slope) {
    Displays.SensitivityField.SetFloat(3, slope);
    Displays.Facts.Calibration.Slope = slope;
    WrittenDefaults |= SlopeWritten;
}

void ProbeTypeDialog::ShowRangeMin(float value) {
    Displays.RangeMinEdit.SetFloat(2, value);
    WrittenDefaults |= RangeMinWritten;
}

void ProbeTypeDialog::ShowRangeMax(float value) {
    Displays.RangeMaxEdit.SetFloat(2, value);
    WrittenDefaults |= RangeMaxWritten;
}

void ExecProbeTypeDialog(Application& application, WindowObject& mainWindow, Transmitter& link,
                         const ProbeTypeDialog::DisplayRecord& displays) {
    // The main window's poll may go on meanwhile: this dialog talks only at set-up and OK.
    application.ExecDialog(new ProbeTypeDialog(&mainWindow, link, displays));
}
