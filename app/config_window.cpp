#include "app/config_window.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/dialogs/probe_calibration_dialog.h"
#include "app/dialogs/probe_type_dialog.h"
#include "app/ui_texts.h"
#include "calibration/sensor_settings.h"
#include "framework/application.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD WindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int WindowWidth = 626;
constexpr int WindowHeight = 394;

constexpr UINT_PTR PollTimerId = 1;
constexpr UINT PollPeriodMs = 1000;

// Ids of the controls whose notifications the window acts on.
constexpr UINT PortBoxId = 101;
constexpr UINT ProbeTypeButtonId = 105;
constexpr UINT CalibrationButtonId = 106;
constexpr UINT InputDampingBoxId = 107;
constexpr UINT RangeMinButtonId = 108;
constexpr UINT RangeMaxButtonId = 109;
constexpr UINT SensorBoxId = 110;
constexpr UINT TempDampingBoxId = 111;
constexpr UINT ReadCheckId = 112;

constexpr int MaxDamping = 30;

constexpr COLORREF White = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF Red = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF LightGrey = RGB(0xC0, 0xC0, 0xC0);

constexpr char CompatibleIdentity[] = "QX7";

}  // namespace

ConfigWindow::ConfigWindow(const char* title) : Window(nullptr, title) {
    Style = WindowStyle;
    W = WindowWidth;
    H = WindowHeight;

    AddLabel(UiText::Port, 485, 14, 30, 20);
    PortBox = new PortCombo(this, 525, 10, 85, 160, PortBoxId);
    AddLabel(UiText::Transmitter, 10, 12, 90, 18);
    IdentityField = new ValueDisplay(this, "", 110, 10, 140, 20);
    AddLabel(UiText::Firmware, 10, 37, 90, 18);
    FirmwareField = new ValueDisplay(this, "", 110, 35, 140, 20);
    AddLabel(UiText::SerialNumber, 10, 62, 90, 18);
    SerialNumberField = new ValueDisplay(this, "", 110, 60, 140, 20);
    AddLabel(UiText::Output, 10, 87, 90, 18);
    OutputField = new ValueDisplay(this, "", 110, 85, 140, 20);
    AddLabel(UiText::Probe, 10, 112, 90, 18);
    ProbeField = new ValueDisplay(this, "", 110, 110, 140, 20);
    new PushButton(this, UiText::MoreButton, 260, 110, 32, 20, ProbeTypeButtonId);
    AddLabel(UiText::Calibration, 10, 137, 90, 18);
    CalibrationField = new ValueDisplay(this, "", 110, 135, 140, 20);
    new PushButton(this, UiText::MoreButton, 260, 135, 32, 20, CalibrationButtonId);

    new GroupBox(this, UiText::Input, 10, 165, 210, 190, 0);
    AddLabel(UiText::Offset, 20, 192, 60, 18);
    OffsetField = new ValueDisplay(this, "", 130, 190, 80, 24);
    AddLabel(UiText::Sensitivity, 20, 222, 60, 18);
    SensitivityField = new ValueDisplay(this, "", 130, 220, 80, 24);
    AddLabel(UiText::Damping, 20, 254, 60, 18);
    InputDampingBox = MakeUnsortedList(130, 250, 80, 200, InputDampingBoxId);
    AddLabel(UiText::RangeMin, 20, 293, 35, 18);
    RangeMinEdit = new ValueEdit(this, "", 65, 291, 80, 24, 0);
    new PushButton(this, UiText::WriteButton, 155, 291, 55, 24, RangeMinButtonId);
    AddLabel(UiText::RangeMax, 20, 323, 35, 18);
    RangeMaxEdit = new ValueEdit(this, "", 65, 321, 80, 24, 0);
    new PushButton(this, UiText::WriteButton, 155, 321, 55, 24, RangeMaxButtonId);

    new GroupBox(this, UiText::TemperatureCompensation, 230, 165, 160, 190, 0);
    AddLabel(UiText::Sensor, 240, 192, 60, 16);
    SensorBox = MakeUnsortedList(240, 215, 140, 200, SensorBoxId);
    AddLabel(UiText::Damping, 240, 247, 60, 16);
    TempDampingBox = MakeUnsortedList(240, 270, 80, 200, TempDampingBoxId);

    new GroupBox(this, UiText::InternalValues, 400, 165, 210, 190, 0);
    AddLabel(UiText::Resistance, 410, 192, 90, 18);
    ResistanceField = new ValueDisplay(this, "", 510, 190, 90, 20);
    AddLabel(UiText::Temperature, 410, 217, 90, 18);
    TemperatureField = new ValueDisplay(this, "", 510, 215, 90, 20);
    AddLabel(UiText::Voltage, 410, 242, 90, 18);
    VoltageField = new ValueDisplay(this, "", 510, 240, 90, 20);
    AddLabel(UiText::MeasuredValue, 410, 267, 90, 18);
    MeasuredValueField = new ValueDisplay(this, "", 510, 265, 90, 20);
    AddLabel(UiText::Ratio, 410, 292, 90, 18);
    RatioField = new ValueDisplay(this, "", 510, 290, 90, 20);
    ReadCheck = new CheckBox(this, UiText::ReadCheck, 410, 325, 60, 20, ReadCheckId);

    // 0 on failure; the fault colours then fall back to the system's default brush.
    FaultBrush = CreateSolidBrush(Red);
    Link = new TransmitterLink;
    Sensors = CreateSensorList();
    EnableKeyboardHandler();
}

ConfigWindow::~ConfigWindow() {
    if (PollTimer != 0) {
        KillTimer(Handle, PollTimerId);
        PollTimer = 0;
    }
    // The window goes before the brush that paints its fields and the link that feeds them;
    // Window's destructor then finds it gone.
    DestroyHandle();
    DeleteObject(FaultBrush);
    Link->Free();
    Sensors->Free();
}

void ConfigWindow::HandleMessage(MessageRecord& msg) {
    switch (msg.Message) {
        case WM_TIMER:
            OnTimer(msg);
            break;
        case WM_CTLCOLORSTATIC:
            OnCtlColorStatic(msg);
            break;
        default:
            Window::HandleMessage(msg);
            break;
    }
}

void ConfigWindow::DispatchChildNotify(MessageRecord& msg, UINT childId) {
    // Focus changes and the opening of a drop-down list must not write anything.
    const bool selectionChanged = HIWORD(msg.WParam) == CBN_SELCHANGE;
    switch (childId) {
        case PortBoxId:
            if (selectionChanged) {
                Connect();
            }
            break;
        case ProbeTypeButtonId:
            OpenProbeTypeDialog();
            break;
        case CalibrationButtonId:
            OpenCalibrationDialog();
            break;
        case InputDampingBoxId:
            if (selectionChanged) {
                WriteInputDampingChoice();
            }
            break;
        case RangeMinButtonId:
            WriteRangeMinField();
            break;
        case RangeMaxButtonId:
            WriteRangeMaxField();
            break;
        case SensorBoxId:
            if (selectionChanged) {
                WriteSensorChoice();
            }
            break;
        case TempDampingBoxId:
            if (selectionChanged) {
                WriteTempDampingChoice();
            }
            break;
        case ReadCheckId:
            ToggleReading();
            break;
        default:
            Window::DispatchChildNotify(msg, childId);
            break;
    }
}

void ConfigWindow::GetWindowClass(WNDCLASSA& windowClass) {
    Window::GetWindowClass(windowClass);
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(QX7_ICON));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

void ConfigWindow::SetupWindow() {
    Window::SetupWindow();
    Sensors->ForEach(
        [this](void* sensor) { SensorBox->AddString(static_cast<TempSensor*>(sensor)->Name); });
    for (int damping = 0; damping <= MaxDamping; ++damping) {
        char text[4];
        std::snprintf(text, sizeof text, "%d", damping);
        InputDampingBox->AddString(text);
        TempDampingBox->AddString(text);
    }
}

void ConfigWindow::OnTimer(MessageRecord&) {
    // While the calibration dialog samples, the line is its alone.
    if (!DialogBusy) {
        Poll();
    }
}

void ConfigWindow::OnCtlColorStatic(MessageRecord& msg) {
    HDC dc = reinterpret_cast<HDC>(msg.WParam);
    HWND control = reinterpret_cast<HWND>(msg.LParam);
    std::uint32_t mask = 0;
    if (control == ResistanceField->Handle) {
        mask = ResistanceFault;
    } else if (control == TemperatureField->Handle) {
        mask = TemperatureFault;
    } else if (control == VoltageField->Handle) {
        mask = VoltageFault;
    } else if (control == MeasuredValueField->Handle) {
        mask = MeasuredValueFault;
    } else if (control == RatioField->Handle) {
        mask = RatioFault;
    }
    // SetTextColor and SetBkColor answer CLR_INVALID on failure, which only leaves the
    // colour as it was.
    if ((FaultFlags & mask) != 0) {
        SetTextColor(dc, White);
        SetBkColor(dc, Red);
        msg.Result = reinterpret_cast<LRESULT>(FaultBrush);
    } else {
        SetBkColor(dc, LightGrey);
        msg.Result = reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH));
    }
}

void ConfigWindow::Connect() {
    char name[MaxPortNameLength + 1] = {};
    // -1 leaves the name empty, which no port opens under.
    PortBox->GetSelectedString(name, MaxPortNameLength);
    if (Link->Open(name)) {
        const char* identity = Link->ReadIdentity();
        if (identity != nullptr && std::strcmp(identity, CompatibleIdentity) == 0) {
            IdentityField->SetText(identity);
            ReadAll();
            return;
        }
        // The caption outlives the port; the port is closed before the box opens so that a
        // running poll cannot talk to the refused transmitter while the user reads it.
        char caption[16] = {};
        if (identity != nullptr) {
            std::snprintf(caption, sizeof caption, "%s", identity);
        }
        Link->Close();
        if (identity != nullptr) {
            MessageBoxA(Handle, UiText::IncompatibleTransmitter, caption, MB_OK | MB_ICONERROR);
        }
    }
    IdentityField->ClearText();
    FirmwareField->ClearText();
    SerialNumberField->ClearText();
}

void ConfigWindow::ReadAll() {
    std::uint16_t version = 0;
    if (Link->ReadFirmwareVersion(version)) {
        FirmwareField->SetVersion(version);
    }
    std::int32_t serialNumber = 0;
    if (Link->ReadSerialNumber(serialNumber)) {
        SerialNumberField->SetInteger(serialNumber);
    }
    std::uint8_t outputType = 0;
    if (Link->ReadOutputType(outputType)) {
        OutputField->SetOutputKind(outputType);
    }
    std::uint8_t probeKind = 0;
    if (Link->ReadProbeKind(probeKind)) {
        ProbeField->SetInputKind(probeKind);
    }
    std::uint32_t date = 0;
    if (Link->ReadCalibrationDate(date)) {
        CalibrationField->SetDate(date);
    }
    float value = 0.0f;
    if (Link->ReadOffset(value)) {
        OffsetField->SetFloat(3, value);
    }
    if (Link->ReadSensitivity(value)) {
        SensitivityField->SetFloat(3, value);
    }
    std::uint8_t damping = 0;
    // A value above 30 is outside the list and leaves it without a selection.
    if (Link->ReadInputDamping(damping)) {
        InputDampingBox->SetSelectedIndex(damping);
    }
    if (Link->ReadRangeMin(value)) {
        RangeMinEdit->SetFloat(2, value);
    }
    if (Link->ReadRangeMax(value)) {
        RangeMaxEdit->SetFloat(2, value);
    }
    std::uint8_t degree = 0;
    CoefficientBlock coefficients{};
    if (Link->ReadSensorDegree(degree) && Link->ReadSensorCoefficients(coefficients)) {
        // An unknown polynomial leaves the list as it was.
        const TempSensor* sensor = FindSensor(*Sensors, degree, coefficients);
        if (sensor != nullptr) {
            SensorBox->SetSelectedText(sensor->Name);
        }
    }
    if (Link->ReadTemperatureDamping(damping)) {
        TempDampingBox->SetSelectedIndex(damping);
    }
    Poll();
}

void ConfigWindow::Poll() {
    float value = 0.0f;
    // Without a resistance the transmitter is taken as gone for this poll. One such poll
    // may be a lost frame; after another the values shown are no longer live, and saying
    // so is better than a frozen reading that looks current.
    if (!Link->ReadResistance(value)) {
        if (SilentPolls < LostAfterPolls && ++SilentPolls == LostAfterPolls) {
            ShowLineLost();
        }
        return;
    }
    SilentPolls = 0;
    ShowReading(ResistanceFault, ResistanceField, UiText::ResistanceFault, 2, value);
    if (Link->ReadTemperature(value)) {
        ShowReading(TemperatureFault, TemperatureField, UiText::TemperatureFault, 2, value);
    }
    // Each flag goes before its text, which repaints the field.
    if (Link->ReadVoltage(value)) {
        FaultFlags &= ~VoltageFault;
        VoltageField->SetFloat(3, value);
    }
    if (Link->ReadMeasuredValue(value)) {
        FaultFlags &= ~MeasuredValueFault;
        MeasuredValueField->SetFloat(3, value);
    }
    if (Link->ReadRatio(value)) {
        FaultFlags &= ~RatioFault;
        RatioField->SetFloat(2, static_cast<float>(static_cast<double>(value) * 100.0));
    }
}

void ConfigWindow::ShowLineLost() {
    FaultFlags |=
        ResistanceFault | TemperatureFault | VoltageFault | MeasuredValueFault | RatioFault;
    for (ValueDisplay* field :
         {ResistanceField, TemperatureField, VoltageField, MeasuredValueField, RatioField}) {
        field->SetText(UiText::CommunicationError);
    }
}

void ConfigWindow::ShowReading(std::uint32_t mask, ValueDisplay* field, const char* word,
                               std::int32_t decimals, float value) {
    // The flag goes first: setting the text repaints the field, and the repaint asks
    // OnCtlColorStatic for its colours.
    if (IsFaultPattern(value)) {
        FaultFlags |= mask;
        field->SetText(word);
    } else {
        FaultFlags &= ~mask;
        field->SetFloat(decimals, value);
    }
}

void ConfigWindow::ToggleReading() {
    if (ReadCheck->GetCheck() != 0) {
        if (PollTimer == 0) {
            Poll();
            // 0 on failure: the box stays checked and nothing is read until it is clicked
            // off and on again.
            PollTimer = SetTimer(Handle, PollTimerId, PollPeriodMs, nullptr);
        }
    } else if (PollTimer != 0) {
        KillTimer(Handle, PollTimerId);
        PollTimer = 0;
    }
}

void ConfigWindow::WriteInputDampingChoice() {
    const std::int32_t index = InputDampingBox->GetSelectedIndex();
    // No selection is no damping value: -1 would go out as 255.
    if (index >= 0) {
        Link->WriteInputDamping(static_cast<std::uint8_t>(index));
    }
}

void ConfigWindow::WriteTempDampingChoice() {
    const std::int32_t index = TempDampingBox->GetSelectedIndex();
    if (index >= 0) {
        Link->WriteTemperatureDamping(static_cast<std::uint8_t>(index));
    }
}

void ConfigWindow::WriteSensorChoice() {
    const TempSensor* sensor = Sensors->ItemAt(SensorBox->GetSelectedIndex());
    if (sensor != nullptr) {
        WriteSensorSettings(*Link, SensorSettingsOf(*sensor));
    }
}

void ConfigWindow::WriteRangeMinField() {
    float value = 0.0f;
    // A typo must not reach the transmitter: the range rescales a live 4-20 mA loop at once.
    // The field keeps the text for the user to correct.
    if (!RangeMinEdit->TryGetFloat(value)) {
        return;
    }
    // The field then shows what the transmitter stored, not what was typed.
    if (Link->WriteRangeMin(value)) {
        RangeMinEdit->SetFloat(2, value);
    }
}

void ConfigWindow::WriteRangeMaxField() {
    float value = 0.0f;
    if (!RangeMaxEdit->TryGetFloat(value)) {
        return;
    }
    if (Link->WriteRangeMax(value)) {
        RangeMaxEdit->SetFloat(2, value);
    }
}

// The dialog refreshes the six fields itself after each write; nothing is read back here.
void ConfigWindow::OpenProbeTypeDialog() {
    ExecProbeTypeDialog(*CurrentApplication, *this, *Link,
                        {*ProbeField, *CalibrationField, *OffsetField, *SensitivityField,
                         *RangeMinEdit, *RangeMaxEdit});
}

// DialogBusy is set for the dialog's whole life, so only the dialog talks to the transmitter.
void ConfigWindow::OpenCalibrationDialog() {
    ExecCalibrationDialog(*CurrentApplication, *this, *Link,
                          {*CalibrationField, *OffsetField, *SensitivityField}, DialogBusy);
}

ComboBox* ConfigWindow::MakeUnsortedList(int x, int y, int w, int h, int id) {
    ComboBox* list = new ComboBox(this, x, y, w, h, id, 0, false);
    list->Style &= ~static_cast<DWORD>(CBS_SORT);
    return list;
}

void ConfigWindow::AddLabel(const char* text, int x, int y, int w, int h) {
    new StaticText(this, text, x, y, w, h, 0, 0);
}
