// The "Kalibrace" dialog: the controls, timer and messages around the two-point probe calibration.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/dialogs/buffer_combo_box.h"
#include "calibration/buffer_list.h"
#include "calibration/calibration_view.h"
#include "calibration/local_date.h"
#include "calibration/probe_calibration.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/tool_dialog.h"
#include "link/transmitter.h"

class ProbeCalibrationDialog : public ToolDialog, private CalibrationView {
  public:
    // The main-window fields that show the written result; the dialog owns none of them.
    struct DisplayRecord {
        ValueDisplay& CalibrationField;
        ValueDisplay& OffsetField;
        ValueDisplay& SensitivityField;
    };

    // The link and the fields must outlive the dialog.
    ProbeCalibrationDialog(WindowObject* parent, Transmitter& link, const DisplayRecord& displays);
    // Stops the sampling timer first, so that no tick reaches a dialog half taken down.
    ~ProbeCalibrationDialog() override;

    // WM_TIMER goes to OnTimer, WM_CTLCOLORSTATIC to OnCtlColorStatic.
    void HandleMessage(MessageRecord& msg) override;
    // The check boxes, buffer lists and start buttons of both points.
    void DispatchChildNotify(MessageRecord& msg, UINT childId) override;
    // Reads what the calibration needs; only then can points be started and the timer runs.
    void SetupWindow() override;
    // Ignored while a point is sampled; refused points keep the dialog open with a message.
    void Ok(MessageRecord& msg) override;
    // One tick: the live values, and one sample of the running point.
    virtual void OnTimer(MessageRecord& msg);
    // WM_CTLCOLORSTATIC: WParam (the device context) and LParam (the control); white on red
    // for a live value whose line is lost, the dialog's grey for everything else.
    virtual void OnCtlColorStatic(MessageRecord& msg);

    std::unique_ptr<BufferList> Buffers;
    ValueDisplay* ProbeText = nullptr;
    ValueDisplay* LiveTemperature = nullptr;
    ValueDisplay* LiveVoltage = nullptr;
    CheckBox* Preset1 = nullptr;
    BufferComboBox* BufferCombo1 = nullptr;
    ValueEdit* Standard1Edit = nullptr;
    ValueDisplay* Temperature1Text = nullptr;
    ValueDisplay* Voltage1Text = nullptr;
    PushButton* Start1Button = nullptr;
    CheckBox* Preset2 = nullptr;
    BufferComboBox* BufferCombo2 = nullptr;
    ValueEdit* Standard2Edit = nullptr;
    ValueDisplay* Temperature2Text = nullptr;
    ValueDisplay* Voltage2Text = nullptr;
    PushButton* Start2Button = nullptr;
    ProgressBar* Progress = nullptr;
    Transmitter& Link;
    const DisplayRecord Displays;
    // SetTimer's result; nonzero once the timer runs.
    UINT_PTR TimerStarted = 0;
    // Ticks in a row whose first exchange got no valid reply; after LostAfterTicks of them
    // each live value says so in white on red until it is read again.
    std::uint32_t SilentTicks = 0;
    static constexpr std::uint32_t LostAfterTicks = 2;
    bool TemperatureLost = false;
    bool VoltageLost = false;
    HBRUSH FaultBrush = nullptr;

  private:
    // The controls of one point, so that both points share one set of actions.
    struct PointControls {
        CheckBox* Preset;
        BufferComboBox* BufferCombo;
        ValueEdit* StandardEdit;
        ValueDisplay* TemperatureText;
        ValueDisplay* VoltageText;
        PushButton* StartButton;
        // The buffer that checking the preset selects.
        std::int32_t PresetBuffer;
    };

    PointControls ControlsOf(std::int32_t point) const;
    // True when the temperature, the first of the two, was answered.
    bool RefreshLiveValues();
    void ShowLineLost();
    // The point is no longer valid and its values are blanked.
    void ClearPoint(std::int32_t point);
    void TogglePreset(std::int32_t point);
    void StartPoint(std::int32_t point);
    // "Chyba" where the point's temperature would be: it has no standard to go with it.
    void ShowNoStandard(std::int32_t point);
    // False when a measured point's typed standard was changed since: the field no longer
    // shows the standard that the point would be calibrated with.
    bool ShowsMeasuredStandard(std::int32_t point);

    void StepProgress() override;
    void ResetProgress() override;
    void GetPreset(std::int32_t point, bool& usePreset, std::int32_t& presetIndex) override;
    void ShowPoint(std::int32_t point, const CalibrationPoint& values) override;
    void ShowOffset(float millivolt) override;
    void ShowSensitivity(float slope) override;
    void ShowCalibrationDate(std::uint32_t date) override;

    LocalDate Clock;
    ProbeCalibration Calibration;
};

// What the main window's "..." beside "Kalibrace" does: runs the dialog modally over
// mainWindow, with dialogBusy set for exactly as long as the dialog exists.
void ExecCalibrationDialog(Application& application, WindowObject& mainWindow, Transmitter& link,
                           const ProbeCalibrationDialog::DisplayRecord& displays, bool& dialogBusy);
