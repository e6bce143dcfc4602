// The serial port and the link under Wine, through a COM port that leads to the simulator
// (scripts/with-simulator.sh sets QX7_TEST_PORT, QX7_SIM_CONTROL and QX7_SIM_LOG).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_port.h"
#include "link/transmitter_link.h"

namespace {

const char* TestPort() {
    const char* port = std::getenv("QX7_TEST_PORT");
    return port != nullptr ? port : "COM7";
}

// One control line into the simulator's FIFO, as any Windows program can write it.
bool Control(const std::string& line) {
    const char* path = std::getenv("QX7_SIM_CONTROL");
    if (path == nullptr) {
        return false;
    }
    HANDLE fifo = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (fifo == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string text = line + "\n";
    DWORD written = 0;
    BOOL ok = WriteFile(fifo, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(fifo);
    return ok != 0 && written == text.size();
}

// The simulator's request log, a line for each request it took.
std::string LoggedText() {
    const char* path = std::getenv("QX7_SIM_LOG");
    if (path == nullptr) {
        return "";
    }
    HANDLE log = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return "";
    }
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(log, buffer, sizeof buffer, &n, nullptr) != 0 && n > 0) {
        text.append(buffer, n);
    }
    CloseHandle(log);
    return text;
}

std::size_t LoggedFrameCount() {
    const std::string text = LoggedText();
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The last line of the simulator's request log, without its time stamp.
std::string LastLoggedFrame() {
    std::string text = LoggedText();
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    std::string line = text.substr(text.rfind('\n') + 1);
    return line.substr(line.find(' ') + 1);
}

// The simulator's report of its terminal's line settings (tools/README.md), written beside
// its log and read back through the Z: drive.
std::string ReportedLineSettings() {
    const char* log = std::getenv("QX7_SIM_LOG");
    if (log == nullptr) {
        return "";
    }
    std::string path = log;
    path = path.substr(0, path.rfind('\\') + 1) + "line.txt";
    std::string linuxPath = path.substr(2);  // Z: is the Linux root
    std::replace(linuxPath.begin(), linuxPath.end(), '\\', '/');
    DeleteFileA(path.c_str());
    if (!Control("report line " + linuxPath)) {
        return "";
    }
    // The report appears whole (written aside, then renamed) once the simulator has read the
    // line; ten seconds is far beyond that.
    for (int i = 0; i < 1000; ++i) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char buffer[256];
            DWORD n = 0;
            std::string text;
            if (ReadFile(file, buffer, sizeof buffer, &n, nullptr) != 0) {
                text.assign(buffer, n);
            }
            CloseHandle(file);
            return text.substr(0, text.find('\n'));
        }
        Sleep(10);
    }
    return "";
}

class PortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SerialPort::DevicePath(TestPort(), Path, sizeof Path));
        ASSERT_TRUE(Port.Open(Path));
        Port.SetState(LineSettings::Flags, LineSettings::BaudRate, LineSettings::ByteSize,
                      LineSettings::Parity, LineSettings::StopBits);
        ASSERT_TRUE(Port.SetTimeouts(LineSettings::Timeouts));
    }

    char Path[LineSettings::DevicePathSize] = {};
    SerialPort Port;
};

TEST_F(PortTest, ARequestWrittenToThePortIsAnsweredThroughIt) {
    const std::uint8_t request[] = {0x01, 0x22, 0x00, 0xDD};
    EXPECT_EQ(Port.Write(request, sizeof request), sizeof request);
    std::uint8_t reply[5] = {};
    std::uint32_t got = 0;
    while (got < sizeof reply) {
        std::uint32_t n = Port.Read(reply + got, sizeof reply - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    ASSERT_EQ(got, sizeof reply);
    const std::uint8_t expected[] = {0x06, 0x02, 0x03, 0x01, 0xF4};
    EXPECT_EQ(std::memcmp(reply, expected, sizeof reply), 0);
}

TEST_F(PortTest, AReadWithNothingComingReturnsNothingAfterTheTimeOut) {
    std::uint8_t byte = 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(Port.Read(&byte, 1), 0u);
    EXPECT_GE(GetTickCount() - start, 150u);
}

TEST_F(PortTest, APurgeDiscardsAReplyThatHasArrived) {
    // The simulator answers one request at a time, so once it has taken the unanswered
    // second request it has written the first one's reply.
    ASSERT_TRUE(Control("fault silent on 34 times 1"));
    const std::uint8_t requests[] = {0x01, 0x21, 0x00, 0xDE, 0x01, 0x22, 0x00, 0xDD};
    const std::size_t before = LoggedFrameCount();
    Port.Write(requests, sizeof requests);
    for (int i = 0; i < 400 && LoggedFrameCount() < before + 2; ++i) {
        Sleep(50);
    }
    ASSERT_EQ(LoggedFrameCount(), before + 2);
    ASSERT_EQ(LastLoggedFrame(), "01 22 00 DD");
    // The pseudo-terminal hands written bytes to its other side a moment later.
    Sleep(300);
    Port.Purge(PurgeTxClear | PurgeRxClear);
    std::uint8_t reply[11];
    EXPECT_EQ(Port.Read(reply, sizeof reply), 0u);
}

TEST_F(PortTest, AClosedPortDoesNothing) {
    Port.Close();
    EXPECT_FALSE(Port.IsOpen());
    std::uint8_t bytes[4] = {0x01, 0x21, 0x00, 0xDE};
    EXPECT_EQ(Port.Read(bytes, sizeof bytes), 0u);
    EXPECT_EQ(Port.Write(bytes, sizeof bytes), 0u);
    EXPECT_FALSE(Port.SetTimeouts(LineSettings::Timeouts));
    Port.Purge(PurgeTxClear | PurgeRxClear);
    Port.SetState(LineSettings::Flags, LineSettings::BaudRate, LineSettings::ByteSize,
                  LineSettings::Parity, LineSettings::StopBits);
    Port.Close();
    EXPECT_FALSE(Port.IsOpen());
}

class WineLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Control("reset"));
        ASSERT_TRUE(Link.Open(TestPort()));
    }

    TransmitterLink Link;
};

TEST_F(WineLinkTest, TheTransmitterIdentifiesItselfThroughTheComPort) {
    EXPECT_STREQ(Link.ReadIdentity(), "QX7");
    EXPECT_EQ(LastLoggedFrame(), "01 21 00 DE");
}

TEST_F(WineLinkTest, AFloatWriteComesBackAsTheTransmitterStoredIt) {
    ASSERT_TRUE(Control("clamp range_max 0 14"));
    float high = 20.0f;
    ASSERT_TRUE(Link.WriteRangeMax(high));
    EXPECT_EQ(high, 14.0f);
    EXPECT_EQ(LastLoggedFrame(), "01 39 04 00 00 A0 41 E1");
}

TEST_F(WineLinkTest, TheSensorCoefficientsAreReadAsOneBlock) {
    ASSERT_TRUE(Control("set c3 1.5"));
    CoefficientBlock block{};
    ASSERT_TRUE(Link.ReadSensorCoefficients(block));
    const std::uint8_t c3[] = {0x00, 0x00, 0xC0, 0x3F};
    EXPECT_EQ(std::memcmp(block.Bytes + 12, c3, 4), 0);
}

TEST_F(WineLinkTest, SilenceFailsAfterOneTimeOutAndTheNextExchangeWorks) {
    ASSERT_TRUE(Control("fault silent on 38 times 1"));
    float ohm = 1.0f;
    DWORD start = GetTickCount();
    EXPECT_FALSE(Link.ReadResistance(ohm));
    EXPECT_GE(GetTickCount() - start, 150u);
    EXPECT_EQ(ohm, 1.0f);
    EXPECT_TRUE(Link.ReadResistance(ohm));
}

// Four settings of one reply length, each with a value of its own, read in turn.
class WineSameLengthReads : public WineLinkTest {
  protected:
    void SetUp() override {
        WineLinkTest::SetUp();
        for (const char* setting :
             {"set range_min 1", "set range_max 2", "set offset 3", "set sensitivity 4"}) {
            ASSERT_TRUE(Control(setting));
        }
    }

    // A read that succeeds must give its own value, one that fails must leave the caller's
    // variable alone.
    std::vector<bool> ReadInTurn(int rounds) {
        const std::vector<std::pair<bool (TransmitterLink::*)(float&), float>> reads = {
            {&TransmitterLink::ReadRangeMin, 1.0f},
            {&TransmitterLink::ReadRangeMax, 2.0f},
            {&TransmitterLink::ReadOffset, 3.0f},
            {&TransmitterLink::ReadSensitivity, 4.0f}};
        std::vector<bool> answered;
        for (int round = 0; round < rounds; ++round) {
            for (const auto& [read, value] : reads) {
                float got = -1.0f;
                answered.push_back((Link.*read)(got));
                EXPECT_EQ(got, answered.back() ? value : -1.0f) << "read " << answered.size();
            }
        }
        return answered;
    }
};

TEST_F(WineSameLengthReads, AReplyLateUpToTheBoundIsNeverTakenForTheNextRequestsReply) {
    for (int late : {210, 450, 480, 490, 495, 499}) {
        SCOPED_TRACE("offset late by " + std::to_string(late) + " ms");
        ASSERT_TRUE(Control("fault late " + std::to_string(late) + " on offset times 1"));
        // The late read fails, or, where a busy machine ends the port's time-out late enough
        // for the reply, gives its own value; the one after it finds the line empty of the
        // stale reply, or at worst fails too, and the next round is clean.
        const std::vector<bool> answered = ReadInTurn(2);
        EXPECT_EQ(std::vector<bool>(answered.begin() + 4, answered.end()),
                  (std::vector<bool>{true, true, true, true}));
    }
}

TEST_F(WineSameLengthReads, ACopiedReplyIsNeverTakenForAnotherRequestsReply) {
    const std::vector<std::string> settings = {"range_min", "offset", "sensitivity"};
    const std::vector<std::size_t> places = {0, 2, 3};
    for (std::size_t i = 0; i < settings.size(); ++i) {
        SCOPED_TRACE("copied: " + settings[i]);
        ASSERT_TRUE(Control("fault duplicate on " + settings[i] + " times 1"));
        const std::vector<bool> answered = ReadInTurn(2);
        // The copy costs at most its own exchange and the next; then the line is clean.
        for (std::size_t j = places[i] + 2; j < answered.size(); ++j) {
            EXPECT_TRUE(answered[j]) << "read " << j + 1;
        }
    }
    ASSERT_TRUE(Control("fault duplicate every 3"));
    const std::vector<bool> answered = ReadInTurn(4);
    EXPECT_NE(std::count(answered.begin(), answered.end(), true), 0);
}

TEST(WineLineSettings, TheLinkOpensThePortAt9600EightNoParityOneStopWithoutFlowControl) {
    ASSERT_TRUE(Control("reset"));
    char path[LineSettings::DevicePathSize] = {};
    ASSERT_TRUE(SerialPort::DevicePath(TestPort(), path, sizeof path));
    {
        // Other settings first, so the report is seen to follow what the port is told:
        // fBinary, fParity, fOutxCtsFlow, DTR on, fOutX, fInX, RTS handshake; 7E2 at 19200.
        // A pseudo-terminal keeps 8 data bits without parity whatever it is told, so only
        // the speed, the stop bits and the flow control can differ here.
        SerialPort other;
        ASSERT_TRUE(other.Open(path));
        other.SetState(0x2317, 19200, 7, 2, 2);
        EXPECT_EQ(ReportedLineSettings(),
                  "speed 19200 data 8 parity none stop 2 rtscts on xon on xoff on");
    }
    TransmitterLink link;
    ASSERT_TRUE(link.Open(TestPort()));
    EXPECT_EQ(ReportedLineSettings(),
              "speed 9600 data 8 parity none stop 1 rtscts off xon off xoff off");
}

TEST_F(WineLinkTest, AnEmptyPortNameKeepsThePortOpen) {
    EXPECT_FALSE(Link.Open(""));
    EXPECT_STREQ(Link.ReadIdentity(), "QX7");
}

}  // namespace
