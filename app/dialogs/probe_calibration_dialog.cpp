#include "app/dialogs/probe_calibration_dialog.h"

#include "app/ui_texts.h"
#include "calibration/calibration_state.h"
#include "calibration/probe_kind.h"
#include "resources/resource_ids.h"

namespace {

constexpr int ProbeTextId = 101;
constexpr int LiveTemperatureId = 102;
constexpr int LiveVoltageId = 103;
constexpr int Preset1Id = 104;
constexpr int BufferCombo1Id = 105;
constexpr int Standard1EditId = 106;
constexpr int Temperature1TextId = 107;
constexpr int Voltage1TextId = 108;
constexpr int Start1ButtonId = 109;
constexpr int Preset2Id = 110;
constexpr int BufferCombo2Id = 111;
constexpr int Standard2EditId = 112;
constexpr int Temperature2TextId = 113;
constexpr int Voltage2TextId = 114;
constexpr int Start2ButtonId = 115;
constexpr int ProgressId = 116;

constexpr UINT_PTR SamplingTimerId = 3;
constexpr UINT SamplingPeriodMs = 550;

}  // namespace

ProbeCalibrationDialog::ProbeCalibrationDialog(WindowObject* parent, Transmitter& link,
                                               const DisplayRecord& displays)
    : ToolDialog(parent, QX7_DIALOG_CALIBRATION),
      Buffers(CreateBufferList()),
      Link(link),
      Displays(displays),
      Calibration(link, *this, *Buffers, Clock) {
    ProbeText = new ValueDisplay(this, InitResource, ProbeTextId);
    LiveTemperature = new ValueDisplay(this, InitResource, LiveTemperatureId);
    LiveVoltage = new ValueDisplay(this, InitResource, LiveVoltageId);
    Preset1 = new CheckBox(this, InitResource, Preset1Id);
    BufferCombo1 = new BufferComboBox(this, InitResource, BufferCombo1Id, *Buffers);
    Standard1Edit = new ValueEdit(this, InitResource, Standard1EditId);
    Temperature1Text = new ValueDisplay(this, InitResource, Temperature1TextId);
    Voltage1Text = new ValueDisplay(this, InitResource, Voltage1TextId);
    Start1Button = new PushButton(this, InitResource, Start1ButtonId);
    Preset2 = new CheckBox(this, InitResource, Preset2Id);
    BufferCombo2 = new BufferComboBox(this, InitResource, BufferCombo2Id, *Buffers);
    Standard2Edit = new ValueEdit(this, InitResource, Standard2EditId);
    Temperature2Text = new ValueDisplay(this, InitResource, Temperature2TextId);
    Voltage2Text = new ValueDisplay(this, InitResource, Voltage2TextId);
    Start2Button = new PushButton(this, InitResource, Start2ButtonId);
    Progress = new ProgressBar(this, InitResource, ProgressId);
}

ProbeCalibrationDialog::~ProbeCalibrationDialog() {
    if (TimerStarted != 0) {
        // 0 when the window is already gone, which took its timer with it.
        KillTimer(Handle, SamplingTimerId);
        TimerStarted = 0;
    }
    if (FaultBrush != nullptr) {
        // Nonzero on success; the brush is not selected into any device context.
        DeleteObject(FaultBrush);
    }
}

void ProbeCalibrationDialog::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_TIMER:
            OnTimer(msg);
            break;
        case WM_CTLCOLORSTATIC:
            OnCtlColorStatic(msg);
            break;
        default:
            ToolDialog::HandleMessage(msg);
            break;
    }
}

void ProbeCalibrationDialog::DispatchChildNotify(MessageRecord& msg, UINT childId) {
    const bool selectionChanged = HIWORD(msg.WParam) == CBN_SELCHANGE;
    switch (childId) {
        case Preset1Id:
            TogglePreset(1);
            break;
        case Preset2Id:
            TogglePreset(2);
            break;
        case BufferCombo1Id:
            // Opening or leaving the list keeps the measured point.
            if (selectionChanged) {
                ClearPoint(1);
            }
            break;
        case BufferCombo2Id:
            if (selectionChanged) {
                ClearPoint(2);
            }
            break;
        case Start1ButtonId:
            StartPoint(1);
            break;
        case Start2ButtonId:
            StartPoint(2);
            break;
        default:
            ToolDialog::DispatchChildNotify(msg, childId);
            break;
    }
}

void ProbeCalibrationDialog::SetupWindow() {
    ToolDialog::SetupWindow();
    if (!Calibration.Setup()) {
        ProbeText->SetText(UiText::CommunicationError);
        return;
    }
    ProbeText->SetInputKind(Calibration.GetKind());
    RefreshLiveValues();
    // The buffers are pH standards: an ISE probe is calibrated with typed values only.
    if (Calibration.GetKind() == ProbeKindPh) {
        Preset1->Enable();
        Preset2->Enable();
    }
    Start1Button->Enable();
    Start2Button->Enable();
    Progress->SetRange(0, SamplesPerPoint);
    // 0 when no timer could be made: the points then never finish and only Cancel is left.
    TimerStarted = SetTimer(Handle, SamplingTimerId, SamplingPeriodMs, nullptr);
}

void ProbeCalibrationDialog::Ok(MessageRecord& msg) {
    if (Calibration.IsSampling()) {
        return;
    }
    const bool asShown = ShowsMeasuredStandard(1) && ShowsMeasuredStandard(2);
    if (!asShown || !Calibration.AcceptPoints()) {
        // The points stay as they are, so that one of them can be measured again.
        MessageBoxA(Handle, UiText::PointsRefused, UiText::Calibration, MB_ICONERROR);
        return;
    }
    Calibration.WriteCalibration(Calibration.ComputeCalibration());
    ToolDialog::Ok(msg);
}

void ProbeCalibrationDialog::OnTimer(MessageRecord&) {
    if (RefreshLiveValues()) {
        SilentTicks = 0;
    } else if (SilentTicks < LostAfterTicks && ++SilentTicks == LostAfterTicks) {
        ShowLineLost();
    }
    Calibration.TakeSample();
}

void ProbeCalibrationDialog::OnCtlColorStatic(MessageRecord& msg) {
    HWND control = reinterpret_cast<HWND>(msg.LParam);
    const bool lost = (control == LiveTemperature->Handle && TemperatureLost) ||
                      (control == LiveVoltage->Handle && VoltageLost);
    if (!lost || FaultBrush == nullptr) {
        ToolDialog::HandleMessage(msg);
        return;
    }
    HDC dc = reinterpret_cast<HDC>(msg.WParam);
    // CLR_INVALID on failure, which only leaves the colour as it was.
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    SetBkColor(dc, RGB(0xFF, 0x00, 0x00));
    msg.Result = reinterpret_cast<LRESULT>(FaultBrush);
}

void ProbeCalibrationDialog::ShowLineLost() {
    if (FaultBrush == nullptr) {
        // None on failure: the words then show in the dialog's colours.
        FaultBrush = CreateSolidBrush(RGB(0xFF, 0x00, 0x00));
    }
    // The flags go first: setting the text repaints the field, which asks for its colours.
    TemperatureLost = true;
    VoltageLost = true;
    LiveTemperature->SetText(UiText::CommunicationError);
    LiveVoltage->SetText(UiText::CommunicationError);
}

ProbeCalibrationDialog::PointControls ProbeCalibrationDialog::ControlsOf(std::int32_t point) const {
    if (point == 2) {
        return {
            Preset2,      BufferCombo2, Standard2Edit,    Temperature2Text,
            Voltage2Text, Start2Button, BufferIndexPh701,
        };
    }
    return {
        Preset1,      BufferCombo1, Standard1Edit,    Temperature1Text,
        Voltage1Text, Start1Button, BufferIndexPh401,
    };
}

bool ProbeCalibrationDialog::RefreshLiveValues() {
    float celsius = 0.0f;
    const bool answered = Link.ReadTemperature(celsius);
    if (answered) {
        TemperatureLost = false;
        LiveTemperature->SetFloat(2, celsius);
    }
    float millivolt = 0.0f;
    if (Link.ReadVoltage(millivolt)) {
        VoltageLost = false;
        LiveVoltage->SetFloat(2, millivolt);
    }
    return answered;
}

void ProbeCalibrationDialog::ClearPoint(std::int32_t point) {
    const PointControls controls = ControlsOf(point);
    controls.StandardEdit->ClearText();
    controls.TemperatureText->ClearText();
    controls.VoltageText->ClearText();
    Calibration.ClearPoint(point);
}

void ProbeCalibrationDialog::TogglePreset(std::int32_t point) {
    ClearPoint(point);
    const PointControls controls = ControlsOf(point);
    if (controls.Preset->GetCheck() == BST_CHECKED) {
        controls.BufferCombo->Enable();
        controls.BufferCombo->SetSelectedIndex(controls.PresetBuffer);
        controls.StandardEdit->Disable();
    } else {
        controls.BufferCombo->Disable();
        controls.BufferCombo->SetSelectedIndex(-1);
        controls.StandardEdit->Enable();
    }
}

void ProbeCalibrationDialog::StartPoint(std::int32_t point) {
    if (Calibration.IsSampling()) {
        return;
    }
    const PointControls controls = ControlsOf(point);
    const bool usePreset = controls.Preset->GetCheck() == BST_CHECKED;
    float standard = 0.0f;
    if (!usePreset) {
        const bool typed = controls.StandardEdit->TryGetFloat(standard);
        // Written so that a NaN fails too.
        if (!typed || !(standard > 0.0f)) {
            ShowNoStandard(point);
            Calibration.ClearPoint(point);
            return;
        }
    }
    // Refused only when set-up failed, and then the start buttons are disabled anyway.
    const bool started =
        usePreset ? Calibration.StartPoint(point) : Calibration.StartPoint(point, standard);
    if (!started) {
        return;
    }
    // The focus must not stay on a button that is about to be disabled.
    SetFocus(GetDlgItem(Handle, IDOK));
    controls.StartButton->Disable();
    if (usePreset) {
        controls.StandardEdit->ClearText();
    }
    controls.TemperatureText->ClearText();
    controls.VoltageText->ClearText();
}

void ProbeCalibrationDialog::StepProgress() {
    Progress->StepIt();
}

void ProbeCalibrationDialog::ResetProgress() {
    Progress->SetPosition(0);
}

void ProbeCalibrationDialog::GetPreset(std::int32_t point, bool& usePreset,
                                       std::int32_t& presetIndex) {
    const PointControls controls = ControlsOf(point);
    usePreset = controls.Preset->GetCheck() == BST_CHECKED;
    presetIndex = controls.BufferCombo->GetSelectedIndex();
}

void ProbeCalibrationDialog::ShowNoStandard(std::int32_t point) {
    const PointControls controls = ControlsOf(point);
    controls.TemperatureText->SetText(UiText::NoStandard);
    controls.VoltageText->ClearText();
}

bool ProbeCalibrationDialog::ShowsMeasuredStandard(std::int32_t point) {
    const CalibrationPoint& measured = Calibration.GetPoint(point);
    // A buffer's standard is shown rounded, and an invalid point is refused anyway.
    if (!measured.Valid || measured.UsePreset) {
        return true;
    }
    float shown = 0.0f;
    return ControlsOf(point).StandardEdit->TryGetFloat(shown) && shown == measured.Standard;
}

void ProbeCalibrationDialog::ShowPoint(std::int32_t point, const CalibrationPoint& values) {
    const PointControls controls = ControlsOf(point);
    controls.StartButton->Enable();
    if (!values.Valid) {
        ShowNoStandard(point);
        return;
    }
    if (values.UsePreset) {
        controls.StandardEdit->SetFloat(3, values.Standard);
    }
    controls.TemperatureText->SetFloat(2, values.Temperature);
    controls.VoltageText->SetFloat(3, values.Voltage);
}

void ProbeCalibrationDialog::ShowOffset(float millivolt) {
    Displays.OffsetField.SetFloat(3, millivolt);
}

void ProbeCalibrationDialog::ShowSensitivity(float slope) {
    Displays.SensitivityField.SetFloat(3, slope);
}

void ProbeCalibrationDialog::ShowCalibrationDate(std::uint32_t date) {
    Displays.CalibrationField.SetDate(date);
}

void ExecCalibrationDialog(Application& application, WindowObject& mainWindow, Transmitter& link,
                           const ProbeCalibrationDialog::DisplayRecord& displays,
                           bool& dialogBusy) {
    // The main window's poll would interleave its reads with the dialog's samples.
    dialogBusy = true;
    application.ExecDialog(new ProbeCalibrationDialog(&mainWindow, link, displays));
    dialogBusy = false;
}
