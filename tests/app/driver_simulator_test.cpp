// The driver's view of the transmitter simulator: what reaches the serial line shows up in
// the request log, and a control line changes the transmitter before the next request.
// Runs beside the simulator (scripts/with-simulator.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/app/driver/simulator_control.h"
#include "tests/app/driver/simulator_log.h"
#include "tests/app/driver/window_inspector.h"

namespace {

const std::vector<std::uint8_t> kIdentityRequest = {0x01, 0x21, 0x00, 0xDE};

class SimulatorLine : public testing::Test {
  protected:
    void SetUp() override {
        const char* port = std::getenv("QX7_TEST_PORT");
        ASSERT_NE(port, nullptr) << "run through scripts/with-simulator.sh";
        const std::string path = std::string("\\\\.\\") + port;
        Port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        ASSERT_NE(Port, INVALID_HANDLE_VALUE);
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadTotalTimeoutConstant = 1000;
        timeouts.WriteTotalTimeoutConstant = 1000;
        ASSERT_TRUE(SetCommTimeouts(Port, &timeouts));
    }

    void TearDown() override {
        if (Port != INVALID_HANDLE_VALUE) {
            CloseHandle(Port);
        }
    }

    // Sends the identity request and returns the identity text of the reply (its 8 data
    // bytes up to the first zero), or "-" when no whole reply came.
    std::string AskIdentity() {
        DWORD count = 0;
        if (!WriteFile(Port, kIdentityRequest.data(), static_cast<DWORD>(kIdentityRequest.size()),
                       &count, nullptr)) {
            return "-";
        }
        unsigned char reply[11] = {};
        DWORD total = 0;
        while (total < sizeof reply &&
               ReadFile(Port, reply + total, sizeof reply - total, &count, nullptr) && count > 0) {
            total += count;
        }
        if (total != sizeof reply || reply[0] != 0x06 || reply[1] != 8) {
            return "-";
        }
        return std::string(reinterpret_cast<char*>(reply + 2)).substr(0, 8);
    }

    HANDLE Port = INVALID_HANDLE_VALUE;
};

TEST_F(SimulatorLine, ARequestSentOnThePortAppearsInTheLog) {
    SimulatorLog log;
    std::vector<LoggedFrame> before;
    ASSERT_TRUE(log.Read(before)) << log.FilePath();

    EXPECT_EQ(AskIdentity(), "QX7");
    std::vector<LoggedFrame> frames;
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return log.ReadFrom(before.size(), frames) && !frames.empty(); }, 20000));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Bytes, kIdentityRequest);
    EXPECT_EQ(frames[0].Code(), 0x21);
}

TEST_F(SimulatorLine, AControlLineChangesTheNextReply) {
    SimulatorControl control;
    ASSERT_TRUE(control.Send("set identity QX9"));
    EXPECT_EQ(AskIdentity(), "QX9");
    ASSERT_TRUE(control.Send("reset"));
    EXPECT_EQ(AskIdentity(), "QX7");
}

}  // namespace
