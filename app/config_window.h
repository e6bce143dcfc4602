// The tool's one window: every control at once, the connection to the transmitter, the live
// display and the direct parameter writes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/port_combo.h"
#include "calibration/sensor_list.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "link/transmitter_link.h"

// FaultFlags bits: the field shows a fault in white on red. For the resistance and the
// temperature, the last reading was the fault pattern; for every live field, the line has
// given no reading for LostAfterPolls polls and none of that field since.
constexpr std::uint32_t ResistanceFault = 1;
constexpr std::uint32_t TemperatureFault = 2;
constexpr std::uint32_t VoltageFault = 4;
constexpr std::uint32_t MeasuredValueFault = 8;
constexpr std::uint32_t RatioFault = 16;

class ConfigWindow : public Window {
  public:
    // Builds the whole layout, the fault brush, the link (no port open) and the sensor list;
    // the windows come with Create.
    explicit ConfigWindow(const char* title);
    // Stops the timer, destroys the window, then releases the brush, the link (which closes
    // the port) and the sensors.
    ~ConfigWindow() override;

    // Message: WM_TIMER and WM_CTLCOLORSTATIC, then Window's.
    void HandleMessage(MessageRecord& msg) override;
    // WM_COMMAND from a control: childId, and HIWORD(WParam) for the lists' selection changes.
    void DispatchChildNotify(MessageRecord& msg, UINT childId) override;
    void GetWindowClass(WNDCLASSA& windowClass) override;
    // Fills the sensor and damping lists; nothing is selected.
    void SetupWindow() override;
    // WM_CTLCOLORSTATIC: WParam (the device context) and LParam (the control); light grey for
    // every static, white on red for a faulty reading.
    virtual void OnCtlColorStatic(MessageRecord& msg);
    // WM_TIMER: no field, as the poll timer is the window's only one; one poll unless the
    // calibration dialog has the line.
    virtual void OnTimer(MessageRecord& msg);

    // Opens the chosen port, checks the identity and reads every setting.
    void Connect();
    void ReadAll();
    // One reading of the live values; a resistance read that fails ends it, and after
    // LostAfterPolls such polls in a row every live field says the line is lost.
    void Poll();
    void ShowLineLost();
    // Shows word instead of the number when value is the fault pattern, and records which.
    void ShowReading(std::uint32_t mask, ValueDisplay* field, const char* word,
                     std::int32_t decimals, float value);
    // Starts or stops the periodic reading as the "Číst" box says.
    void ToggleReading();

    void WriteInputDampingChoice();
    void WriteTempDampingChoice();
    void WriteSensorChoice();
    void WriteRangeMinField();
    void WriteRangeMaxField();
    void OpenProbeTypeDialog();
    void OpenCalibrationDialog();

    PortCombo* PortBox = nullptr;
    ValueDisplay* IdentityField = nullptr;
    ValueDisplay* FirmwareField = nullptr;
    ValueDisplay* SerialNumberField = nullptr;
    ValueDisplay* OutputField = nullptr;
    ValueDisplay* ProbeField = nullptr;
    ValueDisplay* CalibrationField = nullptr;
    ValueDisplay* OffsetField = nullptr;
    ValueDisplay* SensitivityField = nullptr;
    ComboBox* InputDampingBox = nullptr;
    ValueEdit* RangeMinEdit = nullptr;
    ValueEdit* RangeMaxEdit = nullptr;
    ComboBox* SensorBox = nullptr;
    ComboBox* TempDampingBox = nullptr;
    ValueDisplay* ResistanceField = nullptr;
    ValueDisplay* TemperatureField = nullptr;
    ValueDisplay* VoltageField = nullptr;
    ValueDisplay* MeasuredValueField = nullptr;
    ValueDisplay* RatioField = nullptr;
    CheckBox* ReadCheck = nullptr;
    HBRUSH FaultBrush = nullptr;
    TransmitterLink* Link = nullptr;
    SensorList* Sensors = nullptr;
    // SetTimer's result while the periodic reading runs, 0 otherwise.
    UINT_PTR PollTimer = 0;
    std::uint32_t FaultFlags = 0;
    // Polls in a row whose first exchange got no valid reply.
    std::uint32_t SilentPolls = 0;
    static constexpr std::uint32_t LostAfterPolls = 2;
    // True while the probe calibration dialog talks to the transmitter: ticks then do nothing.
    bool DialogBusy = false;

  private:
    // A drop-down list whose items stay in the order they are added.
    ComboBox* MakeUnsortedList(int x, int y, int w, int h, int id);
    void AddLabel(const char* text, int x, int y, int w, int h);
};
