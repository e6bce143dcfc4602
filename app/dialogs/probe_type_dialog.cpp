#include "app/dialogs/probe_type_dialog.h"

#include "app/ui_texts.h"
#include "calibration/probe_kind.h"
#include "calibration/probe_kind_defaults.h"
#include "framework/number_text.h"
#include "resources/resource_ids.h"

namespace {

constexpr int KindComboId = 101;

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
    ApplyProbeKindDefaults(Link, static_cast<std::uint8_t>(selected), *this);
    ToolDialog::Ok(msg);
}

void ProbeTypeDialog::ShowProbeKind(std::uint8_t kind) {
    Displays.ProbeField.SetInputKind(kind);
}

void ProbeTypeDialog::ShowCalibrationDate(std::uint32_t date) {
    Displays.CalibrationField.SetDate(date);
}

void ProbeTypeDialog::ShowOffset(float millivolt) {
    Displays.OffsetField.SetFloat(3, millivolt);
}

void ProbeTypeDialog::ShowSensitivity(float slope) {
    Displays.SensitivityField.SetFloat(3, slope);
}

void ProbeTypeDialog::ShowRangeMin(float value) {
    Displays.RangeMinEdit.SetFloat(2, value);
}

void ProbeTypeDialog::ShowRangeMax(float value) {
    Displays.RangeMaxEdit.SetFloat(2, value);
}

void ExecProbeTypeDialog(Application& application, WindowObject& mainWindow, Transmitter& link,
                         const ProbeTypeDialog::DisplayRecord& displays) {
    // The main window's poll may go on meanwhile: this dialog talks only at set-up and OK.
    application.ExecDialog(new ProbeTypeDialog(&mainWindow, link, displays));
}
