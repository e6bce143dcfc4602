// The simulated transmitter's answers, live values, rules and faults, without a terminal.
#include "tools/simulator_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tools/request_assembler.h"
#include "tools/simulator_options.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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

Bytes FloatBytes(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

class EngineTest : public ::testing::Test {
  protected:
    void Apply(const std::string& line) {
        std::string error;
        ASSERT_TRUE(Engine.Apply(line, error)) << line << ": " << error;
    }

    // The reply's frame, or an empty one for silence.
    Bytes Ask(std::uint8_t code, Bytes data = {}) {
        Bytes reply;
        return Engine.Respond(Request(code, data), reply) ? reply : Bytes{};
    }

    float AskFloat(std::uint8_t code) {
        Bytes reply = Ask(code);
        EXPECT_EQ(reply.size(), 7u);
        if (reply.size() != 7u) {
            return NAN;
        }
        std::uint32_t bits =
            reply[2] | reply[3] << 8 | reply[4] << 16 | static_cast<std::uint32_t>(reply[5]) << 24;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    SimulatorEngine Engine;
};

TEST_F(EngineTest, AnswersWithTheFramesOfTheProtocolExamples) {
    EXPECT_EQ(Ask(34), (Bytes{0x06, 0x02, 0x03, 0x01, 0xF4}));
    EXPECT_EQ(Ask(62, {5}), (Bytes{0x06, 0x01, 0x05, 0xF4}));
    EXPECT_EQ(Ask(56, {0x00, 0x00, 0x60, 0x41}), (Bytes{0x06, 0x04, 0x00, 0x00, 0x60, 0x41, 0x55}));
    EXPECT_EQ(Ask(33), (Bytes{0x06, 0x08, 'Q', 'X', '7', 0, 0, 0, 0, 0, 0x12}));
}

TEST_F(EngineTest, StartsAsAPt100TransmitterWhoseBlockMatchesThePt100BitForBit) {
    Bytes block = {0x31, 0xCE, 0x75, 0xC3, 0x23, 0xE5, 0x16, 0x40, 0xB3, 0x79,
                   0x83, 0x3A, 0,    0,    0,    0,    0,    0,    0,    0};
    EXPECT_EQ(Engine.Stored(53), block);
    EXPECT_EQ(Engine.Stored(52), Bytes{2});
    EXPECT_NEAR(AskFloat(39), 25.0f, 0.01f);
}

TEST_F(EngineTest, StaysSilentForRequestsNoTransmitterWouldAnswer) {
    Bytes reply;
    Bytes garbled = Request(34);
    garbled.back() ^= 1;
    EXPECT_FALSE(Engine.Respond(garbled, reply));
    EXPECT_TRUE(Ask(43).empty());
    EXPECT_TRUE(Ask(34, {1, 2}).empty());
    EXPECT_TRUE(Ask(58, {1}).empty());
}

TEST_F(EngineTest, TakesIntegersInDecimalEvenWithALeadingZeroOrInHexWith0x) {
    Apply("set serial 0100");
    EXPECT_EQ(Engine.Stored(35), (Bytes{100, 0, 0, 0}));
    Apply("set firmware 0x0210");
    EXPECT_EQ(Ask(34), (Bytes{0x06, 0x02, 0x10, 0x02, 0xE6}));
}

TEST_F(EngineTest, KeepsWhatIsWrittenAndServesItOnTheNextRead) {
    EXPECT_EQ(Ask(61, {12}), (Bytes{0x06, 0x01, 12, 0xED}));
    EXPECT_EQ(Ask(61), (Bytes{0x06, 0x01, 12, 0xED}));
    Bytes date = {0x01, 0x12, 0x25, 0x20};
    Ask(60, date);
    EXPECT_EQ(Engine.Stored(60), date);
    Apply("reset");
    EXPECT_EQ(Engine.Stored(60), (Bytes{0x15, 0x03, 0x24, 0x20}));
}

TEST_F(EngineTest, TurnsTheSensorResistanceIntoTemperatureWithTheStoredPolynomial) {
    Apply("set resistance 100");
    EXPECT_NEAR(AskFloat(39), 0.0f, 0.01f);
    Apply("set resistance 138.51");
    EXPECT_NEAR(AskFloat(39), 100.0f, 0.1f);
    // A Pt1000's polynomial written by the tool takes effect at once.
    Ask(53, [] {
        Bytes block;
        for (float c : {-245.80544f, 0.23577354f, 0.0000100307f, 0.0f, 0.0f}) {
            Bytes b = FloatBytes(c);
            block.insert(block.end(), b.begin(), b.end());
        }
        return block;
    }());
    Apply("set resistance 1000");
    EXPECT_NEAR(AskFloat(39), 0.0f, 0.05f);
}

TEST_F(EngineTest, TheProbeVoltageFollowsThePhThroughOffsetAndTemperatureCorrectedSlope) {
    Apply("set resistance 100");  // 0 degrees Celsius
    Apply("set offset 10");
    Apply("set ph 4");
    float t = AskFloat(39);
    float expected = 10.0f + -59.16f * (t + 273.15f) / 298.15f * -3.0f;
    EXPECT_NEAR(AskFloat(40), expected, 0.01f);
    EXPECT_NEAR(AskFloat(37), expected, 0.01f);
    EXPECT_NEAR(AskFloat(41), 4.0f, 0.001f);
    EXPECT_NEAR(AskFloat(42), 4.0f / 14.0f, 0.001f);
}

TEST_F(EngineTest, AnIonSelectiveProbeMeasuresConcentration) {
    Apply("set probe_kind 1");
    Apply("set concentration 100");
    EXPECT_NEAR(AskFloat(41), 100.0f, 0.01f);
}

TEST_F(EngineTest, AnOpenSensorGivesTheFaultPatternForResistanceAndTemperature) {
    Apply("set resistance 0");
    for (std::uint8_t code : {36, 38, 39}) {
        EXPECT_EQ(Ask(code), (Bytes{0x06, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFA})) << int{code};
    }
}

TEST_F(EngineTest, NoiseIsReproducibleFromItsSeed) {
    SimulatorEngine other;
    std::string error;
    ASSERT_TRUE(other.Apply("set noise 2", error));
    Apply("set noise 2");
    Bytes first = Ask(40);
    Bytes second = Ask(40);
    EXPECT_NE(first, second);
    Bytes reply;
    other.Respond(Request(40), reply);
    EXPECT_EQ(reply, first);
}

TEST_F(EngineTest, AClampOrAOneOffEchoMakesTheReplyDifferFromWhatWasSent) {
    Apply("clamp range_max 0 14");
    EXPECT_EQ(Ask(57, FloatBytes(20.0f)), Ask(57));
    EXPECT_EQ(Engine.Stored(57), FloatBytes(14.0f));
    Apply("echo temperature_damping 30");
    EXPECT_EQ(Ask(61, {2}), (Bytes{0x06, 0x01, 30, 0xDB}));
    EXPECT_EQ(Ask(61, {2}), (Bytes{0x06, 0x01, 2, 0xF7}));
}

TEST_F(EngineTest, FaultsApplyToTheirCommandsForTheirCount) {
    Apply("fault silent on 38,39 times 2");
    EXPECT_TRUE(Ask(38).empty());
    EXPECT_FALSE(Ask(40).empty());
    EXPECT_TRUE(Ask(39).empty());
    EXPECT_FALSE(Ask(38).empty());
}

TEST_F(EngineTest, EveryNthReplyCanCarryTheFaultPattern) {
    Apply("fault pattern every 3");
    std::vector<bool> faulty;
    for (int i = 0; i < 6; ++i) {
        faulty.push_back(Ask(40)[2] == 0xFF);
    }
    EXPECT_EQ(faulty, (std::vector<bool>{false, false, true, false, false, true}));
}

TEST_F(EngineTest, CorruptsRepliesInEachWayItIsTold) {
    Apply("fault checksum on 62 times 1");
    EXPECT_EQ(Ask(62), (Bytes{0x06, 0x01, 0x05, 0xF5}));
    Apply("fault truncate on 58 times 1");
    EXPECT_EQ(Ask(58), (Bytes{0x06, 0x04, 0x00, 0x00}));
    Apply("fault length on 62 times 1");
    EXPECT_EQ(Ask(62), (Bytes{0x06, 0x02, 0x05, 0x00, 0xF3}));
    Apply("fault raw 06 3E on input_damping times 1");
    EXPECT_EQ(Ask(62), (Bytes{0x06, 0x3E}));
    Apply("fault silent");
    Apply("clear");
    EXPECT_EQ(Ask(62), (Bytes{0x06, 0x01, 0x05, 0xF4}));
}

TEST_F(EngineTest, IdentitiesCanBeEmptyOrCarryANulInside) {
    Apply("identity =");
    EXPECT_EQ(Ask(33), (Bytes{0x06, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0xF2}));
    std::string error;
    EXPECT_FALSE(Engine.Apply("set identity_hex 515837004142434", error));
    EXPECT_FALSE(Engine.Apply("set identity_hex 51 58 37 00 41 42 43 44 45", error));
    Apply("set identity_hex 51 58 37 00 41 42 43 44");
    EXPECT_EQ(Engine.Stored(33), (Bytes{'Q', 'X', '7', 0, 'A', 'B', 'C', 'D'}));
}

TEST_F(EngineTest, RefusesLinesItDoesNotUnderstandAndKeepsItsState) {
    std::string error;
    for (const char* line : {"frobnicate", "set colour blue", "set offset abc", "fault sulk",
                             "fault silent on 99", "fault silent times 0", "clamp firmware 0 1",
                             "set identity NINECHARS", "delay -5", "pace maybe"}) {
        error.clear();
        EXPECT_FALSE(Engine.Apply(line, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    EXPECT_EQ(Ask(58), (Bytes{0x06, 0x04, 0, 0, 0, 0, 0xF6}));
    EXPECT_TRUE(Engine.Apply("  # a comment", error));
    EXPECT_TRUE(Engine.Apply("", error));
}

TEST_F(EngineTest, ALateReplyIsTheValidReplyHeldBackForItsLatenessOrARandomOneInARange) {
    Apply("delay 30");
    Apply("fault late 300 on offset times 1");
    EXPECT_EQ(Ask(58), (Bytes{0x06, 0x04, 0, 0, 0, 0, 0xF6}));
    EXPECT_EQ(Engine.LateMs(), 300);
    Ask(58);
    EXPECT_EQ(Engine.LateMs(), -1) << "on time again: the delay applies";

    Apply("fault late 210-450 on 38,39");
    std::vector<int> lateness;
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(Ask(static_cast<std::uint8_t>(38 + i % 2)).size(), 7u);
        lateness.push_back(Engine.LateMs());
    }
    EXPECT_GE(*std::min_element(lateness.begin(), lateness.end()), 210);
    EXPECT_LE(*std::max_element(lateness.begin(), lateness.end()), 450);
    EXPECT_GT(std::set<int>(lateness.begin(), lateness.end()).size(), 50u) << "spread out";
    Ask(40);
    EXPECT_EQ(Engine.LateMs(), -1);

    std::string error;
    for (const char* line : {"fault late", "fault late soon", "fault late 450-210", "fault late -5",
                             "fault late 100 on 99"}) {
        EXPECT_FALSE(Engine.Apply(line, error)) << line;
    }
}

TEST_F(EngineTest, ARangeOfLatenessReachesItsUpperEndAndACopiedReplyFollowsItself) {
    Apply("fault late 495-499 on 58");
    std::set<int> lateness;
    for (int i = 0; i < 100; ++i) {
        Ask(58);
        lateness.insert(Engine.LateMs());
    }
    EXPECT_EQ(lateness, (std::set<int>{495, 496, 497, 498, 499}));

    Apply("clear");
    Apply("fault duplicate on offset every 2");
    const Bytes reply = {0x06, 0x04, 0, 0, 0, 0, 0xF6};
    EXPECT_EQ(Ask(58), reply);
    Bytes twice = reply;
    twice.insert(twice.end(), reply.begin(), reply.end());
    EXPECT_EQ(Ask(58), twice);
    EXPECT_EQ(Engine.LateMs(), -1);
    EXPECT_EQ(Ask(59).size(), 7u) << "only the codes it is on";
}

TEST_F(EngineTest, PacingAndDelayAreSettingsAndTheLineIsPacedFromTheStart) {
    EXPECT_EQ(Engine.ByteTimeNs(), 1041666);
    Apply("pace off");
    EXPECT_EQ(Engine.ByteTimeNs(), 0);
    Apply("pace on");
    EXPECT_EQ(Engine.ByteTimeNs(), 1041666);
    Apply("delay 30");
    EXPECT_EQ(Engine.ReplyDelayMs(), 30);
    Apply("baud = 0");
    EXPECT_EQ(Engine.ByteTimeNs(), 0);
}

TEST(RequestAssembler, CutsFramesFromTheStreamAndSkipsNoiseBeforeAStartByte) {
    RequestAssembler assembler;
    Bytes stream = {0xAA, 0x06, 0x01, 0x21, 0x00, 0xDE, 0x01, 0x3E, 0x01, 0x05, 0xBB};
    std::vector<Bytes> frames;
    for (auto b : stream) {
        if (assembler.Push(b)) {
            frames.push_back(assembler.Frame());
        }
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Bytes{0x01, 0x21, 0x00, 0xDE}));
    EXPECT_EQ(frames[1], (Bytes{0x01, 0x3E, 0x01, 0x05, 0xBB}));
}

TEST(RequestAssembler, DropsAHeaderAnnouncingMoreThanARequestCanCarry) {
    RequestAssembler assembler;
    for (auto b : Bytes{0x01, 0x21, 0x3D}) {
        EXPECT_FALSE(assembler.Push(b));
    }
    Bytes next = {0x01, 0x22, 0x00, 0xDD};
    bool done = false;
    for (auto b : next) {
        done = assembler.Push(b);
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(assembler.Frame(), next);
}

TEST(SimulatorOptions, TurnsOptionsIntoControlLinesInTheirOrder) {
    const char* argv[] = {"qx7sim",  "--link",       "/tmp/l",     "--identity", "ABC", "--pace",
                          "--fault", "silent on 38", "--realtime", "--set",      "ph=4"};
    SimulatorOptions options;
    std::string error;
    ASSERT_TRUE(SimulatorOptions::Parse(11, argv, options, error)) << error;
    EXPECT_EQ(options.Link, "/tmp/l");
    // A way of running, not a control line.
    EXPECT_TRUE(options.RealTime);
    EXPECT_EQ(options.Lines, (std::vector<std::string>{"set identity ABC", "pace on",
                                                       "fault silent on 38", "set ph=4"}));
}

TEST(SimulatorOptions, RejectsUnknownOptionsMissingValuesAndAMissingLink) {
    SimulatorOptions options;
    std::string error;
    const char* unknown[] = {"qx7sim", "--link", "/tmp/l", "--bogus", "1"};
    EXPECT_FALSE(SimulatorOptions::Parse(5, unknown, options, error));
    const char* missing[] = {"qx7sim", "--link"};
    EXPECT_FALSE(SimulatorOptions::Parse(2, missing, options, error));
    const char* optionForPath[] = {"qx7sim", "--link", "--realtime"};
    EXPECT_FALSE(SimulatorOptions::Parse(3, optionForPath, options, error));
    EXPECT_EQ(error, "--link takes a path, not --realtime");
    const char* noLink[] = {"qx7sim", "--pace"};
    EXPECT_FALSE(SimulatorOptions::Parse(2, noLink, options, error));
    const char* help[] = {"qx7sim", "--help"};
    EXPECT_TRUE(SimulatorOptions::Parse(2, help, options, error));
    EXPECT_TRUE(options.Help);
}

}  // namespace
