#include "tests/app/e2e_dialogs/dialog_session.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "framework/number_text.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e/serial_port_map.h"

namespace {

// The identity, thirteen settings and one poll of five live values.
constexpr size_t ConnectRequests = 19;

}  // namespace

void DialogSession::SetUp() {
    ASSERT_TRUE(Transmitter.Send("reset"));
    ASSERT_TRUE(SerialPortMap::Replace({"COM7"}));
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() /
        ("qx7-records-" + std::to_string(GetCurrentProcessId()) + "-" + test->name());
    std::filesystem::remove_all(root);
    ASSERT_TRUE(std::filesystem::create_directories(root));
    RecordsRoot = root.string();
    ASSERT_TRUE(Program.Start({"QX7_RECORDS=" + RecordsFolder()}));
}

void DialogSession::TearDown() {
    // The program opens a log only while it appends a line, so it need not end first.
    std::error_code ignored;
    std::filesystem::remove_all(RecordsRoot, ignored);
}

std::vector<nlohmann::json> DialogSession::Records() const {
    std::vector<nlohmann::json> records;
    std::ifstream log(RecordsFolder() + "\\" + Program.TextAt(place::SerialNumber) + ".jsonl",
                      std::ios::binary);
    for (std::string line; std::getline(log, line);) {
        records.push_back(nlohmann::json::parse(line));
    }
    return records;
}

void DialogSession::Connect() {
    Line.Mark();
    ASSERT_EQ(driver::ChooseComboText(Program.Control(place::PortBox), "COM7", 15000),
              Delivery::Handled);
    if (!Line.WaitForCount(ConnectRequests, 20000)) {
        // Seen once with no request at all: whatever the program said about the port tells why.
        MessageBoxInfo box;
        const bool shown = driver::FindMessageBox(Program.ProcessId(), 0, box);
        FAIL() << Line.Summary() << "; message box: " << (shown ? box.Text : "none");
    }
    Line.Mark();
}

HWND DialogSession::OpenDialog(int buttonId, const std::string& title) {
    // Posted: the press only returns once the modal dialog ends.
    if (driver::Click(Program.Control(buttonId), 0) == Delivery::Failed) {
        return nullptr;
    }
    return driver::FindTopLevelWindow(Program.ProcessId(), title, 10000);
}

bool DialogSession::WaitClosed(HWND dialog, DWORD timeoutMs) const {
    return driver::WaitUntil([dialog] { return IsWindow(dialog) == FALSE; }, timeoutMs);
}

std::vector<LoggedFrame> DialogSession::FramesOf(const std::vector<int>& codes) const {
    std::vector<LoggedFrame> frames = Line.Frames();
    frames.erase(std::remove_if(frames.begin(), frames.end(),
                                [&codes](const LoggedFrame& frame) {
                                    return std::find(codes.begin(), codes.end(), frame.Code()) ==
                                           codes.end();
                                }),
                 frames.end());
    return frames;
}

int DialogSession::CountOf(int code) const {
    return static_cast<int>(FramesOf({code}).size());
}

float FloatOf(const LoggedFrame& frame) {
    float value = std::numeric_limits<float>::quiet_NaN();
    if (frame.Bytes.size() >= 8) {
        std::memcpy(&value, &frame.Bytes[3], sizeof value);
    }
    return value;
}

std::vector<std::uint8_t> DataOf(const LoggedFrame& frame) {
    if (frame.Bytes.size() < 4) {
        return {};
    }
    return std::vector<std::uint8_t>(frame.Bytes.begin() + 3, frame.Bytes.end() - 1);
}

std::string FloatText(int decimals, float value) {
    char text[FloatTextSize];
    FormatFloat(text, sizeof text, decimals, value);
    return text;
}
