// The link against the simulated transmitter over a real pseudo-terminal.
#include "link/transmitter_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simulator_process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class LinkTest : public ::testing::Test {
  protected:
    explicit LinkTest(std::vector<std::string> options = {}) : Simulator(options) {}

    void SetUp() override {
        ASSERT_TRUE(Simulator.IsRunning());
        ASSERT_TRUE(Link.Open(Simulator.DevicePath().c_str()));
    }

    void Control(const std::string& line) { ASSERT_TRUE(Simulator.Control(line)); }

    SimulatorProcess Simulator;
    TransmitterLink Link;
};

TEST_F(LinkTest, TheIdentityRequestIsTheDocumentedFrameAndTheAnswerIsQX7) {
    const char* identity = Link.ReadIdentity();
    ASSERT_NE(identity, nullptr);
    EXPECT_STREQ(identity, "QX7");
    EXPECT_EQ(Simulator.LastFrame(), (Bytes{0x01, 0x21, 0x00, 0xDE}));
}

TEST_F(LinkTest, IdentityTextsAreTakenUpToTheirFirstNulAndAtMostEightLetters) {
    Control("set identity ABCDEFGH");
    EXPECT_STREQ(Link.ReadIdentity(), "ABCDEFGH");
    Control("set identity_hex 51 58 37 00 41 42 43 44");
    const char* identity = Link.ReadIdentity();
    ASSERT_NE(identity, nullptr);
    EXPECT_EQ(std::strlen(identity), 3u);
    EXPECT_STREQ(identity, "QX7");
    Control("set identity =");
    EXPECT_STREQ(Link.ReadIdentity(), "");
}

TEST_F(LinkTest, AFailedIdentityReadGivesNoneAndKeepsTheLastIdentity) {
    const char* first = Link.ReadIdentity();
    Control("fault silent on 33 times 1");
    Control("set identity XYZ");
    EXPECT_EQ(Link.ReadIdentity(), nullptr);
    EXPECT_STREQ(first, "QX7");
}

TEST_F(LinkTest, AOneByteReplyIsAcceptedAndTheSameWithABadChecksumIsRejectedAndPurged) {
    std::uint8_t damping = 0;
    Control("fault raw 06 01 05 F4 on 62 times 1");
    Control("set input_damping 9");
    ASSERT_TRUE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 5);

    // What follows the corrupt reply would pass as the next reply if it were not purged.
    Control("fault raw 06 01 05 F5 06 01 07 F2 on 62 times 1");
    damping = 1;
    EXPECT_FALSE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 1);
    ASSERT_TRUE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 9);
}

TEST_F(LinkTest, AReplyIsMatchedToItsRequestOnlyByItsLength) {
    Control("fault raw 06 02 03 01 F4 on all");
    std::uint16_t version = 0;
    EXPECT_TRUE(Link.ReadWord(Command::FirmwareVersion, version));
    EXPECT_EQ(version, 0x0103);
    std::uint8_t byte = 0;
    EXPECT_FALSE(Link.ReadByte(Command::OutputType, byte));
    std::uint32_t word = 0;
    EXPECT_FALSE(Link.ReadValue(Command::SerialNumber, word));
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(word, 0u);
}

TEST_F(LinkTest, AReplyWithAWrongStartByteIsRejectedAfterItsFirstTwoBytes) {
    // The header sums to 0, so nothing is purged and the rest, a well-formed reply, is still
    // on the line; the next exchange must not take it for its own.
    Control("fault raw 15 EB 06 01 09 F0 on 62 times 1");
    std::uint8_t damping = 0;
    EXPECT_FALSE(Link.ReadInputDamping(damping));
    ASSERT_TRUE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 5);
}

TEST_F(LinkTest, AWrongHeaderThatDoesNotSumToZeroIsPurgedWithTheRestOfTheReply) {
    Control("fault raw 05 01 06 01 09 F0 on 62 times 1");
    std::uint8_t damping = 0;
    EXPECT_FALSE(Link.ReadInputDamping(damping));
    ASSERT_TRUE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 5);
}

TEST_F(LinkTest, AReplyAnnouncingSixtyTwoBytesIsRejectedWithoutWaitingForThem) {
    Control("fault raw 06 3E 06 01 09 F0 on 62 times 1");
    std::uint8_t damping = 0;
    EXPECT_FALSE(Link.ReadInputDamping(damping));
    ASSERT_TRUE(Link.ReadInputDamping(damping));
    EXPECT_EQ(damping, 5);
}

TEST_F(LinkTest, SilenceCostsOneReadTimeOutAndLeavesTheValueAndTheLinkAlone) {
    Control("fault silent on 38 times 1");
    float ohm = 42.0f;
    auto start = Clock::now();
    EXPECT_FALSE(Link.ReadResistance(ohm));
    EXPECT_GE(MillisecondsSince(start), 180);
    EXPECT_EQ(ohm, 42.0f);
    EXPECT_TRUE(Link.ReadResistance(ohm));
    EXPECT_NEAR(ohm, 109.734657f, 0.001f);
}

// Four settings of one reply length, each with a value of its own, read in turn.
class SameLengthReads : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        Control("set range_min 1");
        Control("set range_max 2");
        Control("set offset 3");
        Control("set sensitivity 4");
    }

    // Reads the four in turn `rounds` times; a read that succeeds must give its own value,
    // and one that fails must leave the caller's variable alone.
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

TEST_F(SameLengthReads, AReplyLateUpToTheBoundIsNeverTakenForTheNextRequestsReply) {
    for (int late : {210, 330, 450, 480, 490, 495, 499}) {
        SCOPED_TRACE("offset late by " + std::to_string(late) + " ms");
        Control("fault late " + std::to_string(late) + " on offset times 1");
        // The late read fails, or, where a busy machine ends the port's time-out late enough
        // for the reply, gives its own value; the one after it finds the line empty of the
        // stale reply, or at worst fails too, and the next round is clean.
        const std::vector<bool> answered = ReadInTurn(2);
        EXPECT_EQ(std::vector<bool>(answered.begin() + 4, answered.end()),
                  (std::vector<bool>{true, true, true, true}));
    }
}

TEST_F(SameLengthReads, ACopiedReplyIsNeverTakenForAnotherRequestsReply) {
    const std::vector<std::string> settings = {"range_min", "offset", "sensitivity"};
    const std::vector<std::size_t> places = {0, 2, 3};
    for (std::size_t i = 0; i < settings.size(); ++i) {
        SCOPED_TRACE("copied: " + settings[i]);
        Control("fault duplicate on " + settings[i] + " times 1");
        const std::vector<bool> answered = ReadInTurn(2);
        // The copy costs at most its own exchange and the next; then the line is clean.
        for (std::size_t j = places[i] + 2; j < answered.size(); ++j) {
            EXPECT_TRUE(answered[j]) << "read " << j + 1;
        }
    }
}

TEST_F(SameLengthReads, EveryCopiedReplyInARunLeavesEachReadItsOwnValueOrNone) {
    Control("fault duplicate every 3");
    std::vector<bool> answered = ReadInTurn(6);
    EXPECT_NE(std::count(answered.begin(), answered.end(), true), 0);
}

TEST_F(LinkTest, AFailedExchangeOfAnyKindHoldsTheNextRequestUntilItsLateReplyCannotCome) {
    float value = 0.0f;
    for (const char* fault : {"checksum", "length", "truncate", "raw 06 04 00", "duplicate"}) {
        SCOPED_TRACE(fault);
        Control(std::string("fault ") + fault + " on offset times 1");
        const std::vector<bool (TransmitterLink::*)(float&)> reads = {
            &TransmitterLink::ReadOffset, &TransmitterLink::ReadSensitivity,
            &TransmitterLink::ReadRangeMin};
        std::vector<Clock::time_point> began;
        std::vector<bool> answered;
        for (auto read : reads) {
            began.push_back(Clock::now());
            answered.push_back((Link.*read)(value));
        }
        const Clock::time_point end = Clock::now();
        ASSERT_TRUE(answered[0] || answered[1]) << "the exchange after a failed one finds a "
                                                   "clean line";
        ASSERT_TRUE(answered[2]);
        // The duplicate's own exchange may pass; then the one after it fails instead, unless
        // the copy had come whole before it and was purged.
        if (answered[0] && answered[1]) {
            continue;
        }
        const std::size_t failed = answered[0] ? 1 : 0;
        const Clock::time_point next = failed + 2 < began.size() ? began[failed + 2] : end;
        EXPECT_GE(
            std::chrono::duration_cast<std::chrono::milliseconds>(next - began[failed]).count(),
            567)
            << "the bound and a whole frame's wire time";
    }
}

TEST_F(LinkTest, AReplyThatStopsHalfWayFailsAfterOneTimeOutWithItsBytesInTheFrame) {
    Control("fault truncate on 58 times 1");
    float offset = 3.0f;
    auto start = Clock::now();
    EXPECT_FALSE(Link.ReadOffset(offset));
    EXPECT_GE(MillisecondsSince(start), 180);
    EXPECT_EQ(offset, 3.0f);
    EXPECT_EQ(Link.FrameBytes()[0], 0x06);
    EXPECT_EQ(Link.FrameBytes()[1], 4);
}

TEST_F(LinkTest, AValidReplyOfAnotherLengthFails) {
    Control("fault length on 59 times 1");
    float slope = 1.0f;
    EXPECT_FALSE(Link.ReadSensitivity(slope));
    EXPECT_EQ(slope, 1.0f);
    EXPECT_TRUE(Link.ReadSensitivity(slope));
    EXPECT_FLOAT_EQ(slope, -59.16f);
}

TEST_F(LinkTest, AWriteLeavesTheTransmittersReplyInTheCallersVariable) {
    Control("echo input_damping 4");
    std::uint8_t damping = 5;
    ASSERT_TRUE(Link.WriteByte(Command::InputDamping, damping));
    EXPECT_EQ(damping, 4);
    EXPECT_EQ(Simulator.LastFrame(), (Bytes{0x01, 0x3E, 0x01, 0x05, 0xBB}));

    Control("clamp range_max 0 14");
    float high = 20.0f;
    ASSERT_TRUE(Link.WriteRangeMax(high));
    EXPECT_EQ(high, 14.0f);

    Control("echo probe_kind 0");
    std::uint8_t kind = 1;
    ASSERT_TRUE(Link.WriteProbeKind(kind));
    EXPECT_EQ(kind, 0);
}

TEST_F(LinkTest, AFloatIsWrittenLittleEndianAndTheEchoIsCheckedByItsChecksum) {
    float low = 14.0f;
    ASSERT_TRUE(Link.WriteRangeMin(low));
    EXPECT_EQ(Simulator.LastFrame(), (Bytes{0x01, 0x38, 0x04, 0x00, 0x00, 0x60, 0x41, 0x22}));
    const std::uint8_t* reply = Link.FrameBytes();
    EXPECT_EQ(Bytes(reply, reply + 7), (Bytes{0x06, 0x04, 0x00, 0x00, 0x60, 0x41, 0x55}));
    EXPECT_EQ(low, 14.0f);
}

TEST_F(LinkTest, TheFaultPatternArrivesAsAReadingTheCallerCanRecognise) {
    Control("fault pattern on 38");
    float ohm = 0;
    ASSERT_TRUE(Link.ReadResistance(ohm));
    EXPECT_TRUE(IsFaultPattern(ohm));
    float celsius = 0;
    ASSERT_TRUE(Link.ReadTemperature(celsius));
    EXPECT_FALSE(IsFaultPattern(celsius));
}

TEST_F(LinkTest, AnEmptyPortNameLeavesTheOpenPortOpen) {
    EXPECT_FALSE(Link.Open(""));
    EXPECT_TRUE(Link.IsOpen());
    EXPECT_STREQ(Link.ReadIdentity(), "QX7");
}

TEST_F(LinkTest, OpeningAPortThatIsNotThereClosesThePreviousOne) {
    EXPECT_FALSE(Link.Open("/nonexistent/qx7-port"));
    EXPECT_FALSE(Link.IsOpen());
    EXPECT_EQ(Link.ReadIdentity(), nullptr);
    EXPECT_TRUE(Link.Open(Simulator.DevicePath().c_str()));
    EXPECT_STREQ(Link.ReadIdentity(), "QX7");
}

TEST_F(LinkTest, AHeaderAnnouncingMoreThanAFrameHoldsIsNeverAReplyEvenWhenExpected) {
    // 06 FA sums to zero, so it is not purged; it must still not pass as a 250-byte reply.
    Control("fault raw 06 FA on 62 times 1");
    Link.SendFrame(Command::InputDamping, 0);
    EXPECT_FALSE(Link.ReceiveFrame(250));
}

TEST_F(LinkTest, ARequestTooLongForTheFrameIsNotSentAndHarmsNothing) {
    ASSERT_STREQ(Link.ReadIdentity(), "QX7");
    const char* identity = Link.ReadIdentity();
    Link.SendFrame(Command::SensorCoefficients, 200);
    EXPECT_FALSE(Link.ReceiveFrame(20));
    EXPECT_EQ(Simulator.Frames().size(), 2u);
    EXPECT_STREQ(identity, "QX7");
}

TEST_F(LinkTest, TheFirmwareVersionIsCopiedOutEvenWhenItsReadFails) {
    std::uint16_t version = 0;
    ASSERT_TRUE(Link.ReadFirmwareVersion(version));
    EXPECT_EQ(version, 0x0103);
    Control("fault silent on 34 times 1");
    version = 0x9999;
    EXPECT_FALSE(Link.ReadFirmwareVersion(version));
    EXPECT_EQ(version, 0x0103);
}

TEST(SerialPortLine, AReadOnALineWhoseOtherEndWentAwayReturnsWithNothingRead) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    char path[256];
    ASSERT_TRUE(SerialPort::DevicePath(simulator.DevicePath().c_str(), path, sizeof path));
    // Shared with the reader, which outlives this test if a read never returns.
    std::shared_ptr<SerialPort> port(new SerialPort, [](SerialPort* p) { p->Free(); });
    ASSERT_TRUE(port->Open(path));
    ASSERT_TRUE(port->SetTimeouts(LineSettings::Timeouts));

    auto gone = std::make_shared<std::atomic<bool>>(false);
    auto last = std::make_shared<std::promise<std::uint32_t>>();
    std::future<std::uint32_t> lastRead = last->get_future();
    // Reads on while the simulator goes, then once more on the dead line.
    std::thread reader([port, gone, last] {
        std::uint8_t bytes[8];
        bool after = false;
        std::uint32_t got = 0;
        do {
            after = *gone;
            got = port->Read(bytes, sizeof bytes);
        } while (!after);
        last->set_value(got);
    });
    simulator.Stop();
    *gone = true;
    if (lastRead.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        reader.detach();
        FAIL() << "a read on the hung-up line does not return";
    }
    reader.join();
    EXPECT_EQ(lastRead.get(), 0u);
}

// One row per accessor: the request it must send and what it must give back.
struct AccessorCase {
    const char* Name;
    Bytes Request;
    std::function<bool(TransmitterLink&, std::string&)> Call;
};

std::string Hex(const Bytes& bytes) {
    std::string text;
    char part[4];
    for (auto b : bytes) {
        std::snprintf(part, sizeof part, "%02X ", b);
        text += part;
    }
    return text;
}

template <typename T>
std::string Show(T value) {
    return std::to_string(value);
}

Bytes Request(std::uint8_t code, Bytes data = {}) {
    Bytes frame = {0x01, code, static_cast<std::uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto b : frame) {
        sum += b;
    }
    frame.push_back(static_cast<std::uint8_t>(256 - sum % 256));
    return frame;
}

template <typename T>
std::function<bool(TransmitterLink&, std::string&)> Reads(bool (TransmitterLink::*read)(T&)) {
    return [read](TransmitterLink& link, std::string& shown) {
        T value{};
        bool ok = (link.*read)(value);
        shown = Show(value);
        return ok;
    };
}

template <typename T>
std::function<bool(TransmitterLink&, std::string&)> Writes(bool (TransmitterLink::*write)(T&),
                                                           T sent) {
    return [write, sent](TransmitterLink& link, std::string& shown) {
        T value = sent;
        bool ok = (link.*write)(value);
        shown = Show(value);
        return ok;
    };
}

template <typename T>
std::function<bool(TransmitterLink&, std::string&)> Sends(bool (TransmitterLink::*write)(T),
                                                          T sent) {
    return [write, sent](TransmitterLink& link, std::string& shown) {
        shown = "";
        return (link.*write)(sent);
    };
}

TEST_F(LinkTest, EveryAccessorSendsItsCommandAndReadsItsReplyShape) {
    using L = TransmitterLink;
    const Bytes fourteen = {0x00, 0x00, 0x60, 0x41};
    CoefficientBlock block{};
    for (int i = 0; i < 20; ++i) {
        block.Bytes[i] = static_cast<std::uint8_t>(i);
    }
    const std::vector<std::pair<AccessorCase, std::string>> cases = {
        {{"ReadFirmwareVersion", Request(34), Reads(&L::ReadFirmwareVersion)}, "259"},
        {{"ReadSerialNumber", Request(35), Reads(&L::ReadSerialNumber)}, "70412"},
        {{"ReadResistanceSample", Request(36), Reads(&L::ReadResistanceSample)}, "109.734657"},
        {{"ReadVoltageSample", Request(37), Reads(&L::ReadVoltageSample)}, "0.000000"},
        {{"ReadResistance", Request(38), Reads(&L::ReadResistance)}, "109.734657"},
        {{"ReadTemperature", Request(39), Reads(&L::ReadTemperature)}, ""},
        {{"ReadVoltage", Request(40), Reads(&L::ReadVoltage)}, "0.000000"},
        {{"ReadMeasuredValue", Request(41), Reads(&L::ReadMeasuredValue)}, "7.000000"},
        {{"ReadRatio", Request(42), Reads(&L::ReadRatio)}, "0.500000"},
        {{"ReadOutputType", Request(50), Reads(&L::ReadOutputType)}, "0"},
        {{"ReadProbeKind", Request(51), Reads(&L::ReadProbeKind)}, "0"},
        {{"WriteProbeKind", Request(51, {1}), Writes<std::uint8_t>(&L::WriteProbeKind, 1)}, "1"},
        {{"ReadSensorDegree", Request(52), Reads(&L::ReadSensorDegree)}, "2"},
        {{"WriteSensorDegree", Request(52, {2}), Sends<std::uint8_t>(&L::WriteSensorDegree, 2)},
         ""},
        {{"WriteSensorCoefficients", Request(53, Bytes(block.Bytes, block.Bytes + 20)),
          [&block](L& link, std::string& shown) {
              shown = "";
              return link.WriteSensorCoefficients(block);
          }},
         ""},
        {{"ReadSensorCoefficients", Request(53),
          [](L& link, std::string& shown) {
              CoefficientBlock read{};
              bool ok = link.ReadSensorCoefficients(read);
              shown = Hex(Bytes(read.Bytes, read.Bytes + 20));
              return ok;
          }},
         Hex(Bytes(block.Bytes, block.Bytes + 20))},
        {{"WriteSensorLowResistance", Request(54, fourteen),
          Sends<float>(&L::WriteSensorLowResistance, 14.0f)},
         ""},
        {{"WriteSensorHighResistance", Request(55, fourteen),
          Sends<float>(&L::WriteSensorHighResistance, 14.0f)},
         ""},
        {{"ReadRangeMin", Request(56), Reads(&L::ReadRangeMin)}, "0.000000"},
        {{"WriteRangeMin", Request(56, fourteen), Writes<float>(&L::WriteRangeMin, 14.0f)},
         "14.000000"},
        {{"ReadRangeMax", Request(57), Reads(&L::ReadRangeMax)}, "14.000000"},
        {{"WriteRangeMax", Request(57, fourteen), Writes<float>(&L::WriteRangeMax, 14.0f)},
         "14.000000"},
        {{"ReadOffset", Request(58), Reads(&L::ReadOffset)}, "0.000000"},
        {{"WriteOffset", Request(58, fourteen), Writes<float>(&L::WriteOffset, 14.0f)},
         "14.000000"},
        {{"ReadSensitivity", Request(59), Reads(&L::ReadSensitivity)}, "-59.160000"},
        {{"WriteSensitivity", Request(59, fourteen), Writes<float>(&L::WriteSensitivity, 14.0f)},
         "14.000000"},
        {{"ReadCalibrationDate", Request(60), Reads(&L::ReadCalibrationDate)}, Show(0x20240315u)},
        {{"WriteCalibrationDate", Request(60, {0x15, 0x03, 0x24, 0x20}),
          Writes<std::uint32_t>(&L::WriteCalibrationDate, 0x20240315u)},
         Show(0x20240315u)},
        {{"ReadTemperatureDamping", Request(61), Reads(&L::ReadTemperatureDamping)}, "3"},
        {{"WriteTemperatureDamping", Request(61, {7}),
          Sends<std::uint8_t>(&L::WriteTemperatureDamping, 7)},
         ""},
        {{"ReadInputDamping", Request(62), Reads(&L::ReadInputDamping)}, "5"},
        {{"WriteInputDamping", Request(62, {8}), Sends<std::uint8_t>(&L::WriteInputDamping, 8)},
         ""},
    };
    for (const auto& [accessor, expected] : cases) {
        SCOPED_TRACE(accessor.Name);
        std::string shown;
        EXPECT_TRUE(accessor.Call(Link, shown));
        EXPECT_EQ(Hex(Simulator.LastFrame()), Hex(accessor.Request));
        if (!expected.empty()) {
            EXPECT_EQ(shown, expected);
        }
    }
}

}  // namespace
