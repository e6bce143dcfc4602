// A connected configuration tool beside the simulated transmitter, from which a test opens one
// of the two dialogs and then acts in it as the technician would.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/app/driver/logged_frame.h"
#include "tests/app/driver/simulator_control.h"
#include "tests/app/e2e/config_program.h"
#include "tests/app/e2e/line_watch.h"

class DialogSession : public testing::Test {
  protected:
    // The simulator back at its defaults, COM7 the only port, the program started with a
    // records folder of this test's own, not yet made.
    void SetUp() override;
    void TearDown() override;

    // Chooses COM7 and waits for the identity and settings reads; the line watch starts after.
    void Connect();
    // Presses the main window's "..." button with this id and waits for the dialog's window.
    HWND OpenDialog(int buttonId, const std::string& title);
    // Whether the dialog's window is gone within the time.
    bool WaitClosed(HWND dialog, DWORD timeoutMs = 20000) const;

    // The requests since the line watch's mark that carry one of these command codes.
    std::vector<LoggedFrame> FramesOf(const std::vector<int>& codes) const;
    int CountOf(int code) const;

    // The records folder the program was started with.
    std::string RecordsFolder() const { return RecordsRoot + "\\records"; }
    // The records of the connected transmitter's log, oldest first; a line that is not JSON
    // fails the test.
    std::vector<nlohmann::json> Records() const;

    ConfigProgram Program;
    SimulatorControl Transmitter;
    LineWatch Line;
    // A fresh folder for this test's records; removed with everything in it afterwards.
    std::string RecordsRoot;
};

// The float in a request's four data bytes; NaN when the frame has none.
float FloatOf(const LoggedFrame& frame);
// The data bytes of a request, without header and checksum.
std::vector<std::uint8_t> DataOf(const LoggedFrame& frame);
// The text a value field shows for a float with this many decimals.
std::string FloatText(int decimals, float value);
