// The "Sonda" dialog: choosing pH or ISE resets the probe's calibration and range to defaults.
#pragma once

#include <cstdint>

#include "calibration/probe_defaults_view.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/tool_dialog.h"
#include "link/transmitter.h"
#include "records/transmitter_facts.h"

class ProbeTypeDialog : public ToolDialog, private ProbeDefaultsView {
  public:
    // The main-window fields that show what the defaults wrote; the dialog owns none of them.
    struct DisplayRecord {
        ValueDisplay& ProbeField;
        ValueDisplay& CalibrationField;
        ValueDisplay& OffsetField;
        ValueDisplay& SensitivityField;
        ValueEdit& RangeMinEdit;
        ValueEdit& RangeMaxEdit;
        // What the main window knows of the transmitter, which the writes update.
        TransmitterFacts& Facts;
    };

    // The link and the fields must outlive the dialog.
    ProbeTypeDialog(WindowObject* parent, Transmitter& link, const DisplayRecord& displays);

    // Lists the kinds and selects the transmitter's, or shows that it could not be read.
    void SetupWindow() override;
    // Writes the chosen kind with its defaults and closes; without a chosen kind it stays open.
    // When the kind could not be read it writes nothing and closes as Cancel does.
    void Ok(MessageRecord& msg) override;

    ComboBox* KindCombo = nullptr;
    Transmitter& Link;
    const DisplayRecord Displays;
    // Whether set-up read the transmitter's kind, so that the list holds the kinds.
    bool KindKnown = false;

  private:
    // The defaults' writes that the transmitter acknowledged, one bit each in write order.
    std::uint32_t WrittenDefaults = 0;

    void ShowProbeKind(std::uint8_t kind) override;
    void ShowCalibrationDate(std::uint32_t date) override;
    void ShowOffset(float millivolt) override;
    void ShowSensitivity(float slope) override;
    void ShowRangeMin(float value) override;
    void ShowRangeMax(float value) override;
};

// What the main window's "..." beside "Sonda" does: runs the dialog modally over mainWindow.
void ExecProbeTypeDialog(Application& application, WindowObject& mainWindow, Transmitter& link,
                         const ProbeTypeDialog::DisplayRecord& displays);
