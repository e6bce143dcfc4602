// qx7ctl calibrate against a simulated probe that settles with a time constant of 8 s, on a
// clock both run 40 times faster: the answers come through a pipe as from a script, or
// through a pseudo-terminal as from a person; judged by the output, the exit code, the
// writes the simulator received and the calibration record kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "records/chain_check.h"
#include "records/sha256.h"
#include "tests/support/built_programs.h"
#include "tests/support/program_command.h"
#include "tests/support/simulator_process.h"

extern char** environ;

namespace {

using nlohmann::json;

// Model seconds per real second. A hold needs ten samples within its 20 model seconds; at 40 a
// busy machine read only five in time, at 10 it reads several times as many.
constexpr const char* Scale = "10";
// The probe of the calibration: slope -56.8 mV/pH and offset +4 mV at 25 degrees; the
// voltages it settles to in the two buffers (pH 4.01 buffer is pH 4.0096 at 25 degrees).
constexpr double TrueSlope = -56.8;
constexpr double TrueOffset = 4.0;
const std::string InPh7 = "4";
const std::string InPh401 = std::to_string(TrueOffset + TrueSlope * (4.0096 - 7.0));

// Whether this build can chain records: the emulated 32-bit build has no SHA-256, and its
// calibrations end with the exit code of a record not kept.
bool RecordsAvailable() {
    char hex[Sha256TextSize];
    return Sha256Hex("", 0, hex);
}

int WrittenAndRecorded() {
    return RecordsAvailable() ? 0 : 5;
}

std::vector<std::string> SettlingProbe(const std::string& settle) {
    return {"--set", "voltage=" + InPh7, "--settle", settle + " scale " + Scale};
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<int> WrittenCodes(const SimulatorProcess& simulator) {
    std::set<int> codes;
    for (const auto& frame : simulator.Frames()) {
        if (frame.size() > 3 && frame[2] > 0) {
            codes.insert(frame[1]);
        }
    }
    return codes;
}

// Waits, at most 60 s, until text() holds what, from position from on; its position or npos.
template <typename Text>
std::size_t WaitForText(Text text, const std::string& what, std::size_t from = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const std::size_t at = text().find(what, from);
        if (at != std::string::npos || std::chrono::steady_clock::now() > deadline) {
            return at;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// qx7ctl with its standard input on a pipe (or a terminal) and stdout, stderr as given.
class Calibration {
  public:
    Calibration(const SimulatorProcess& simulator, std::vector<std::string> args, int input,
                int errorOutput = -1)
        : Dir(simulator.Directory()) {
        std::vector<std::string> words = ProgramCommand(Qx7ctlProgram());
        words.push_back("calibrate");
        words.push_back(simulator.DevicePath());
        words.insert(words.end(), args.begin(), args.end());
        words.insert(words.end(), {"--time-scale", Scale, "--records", Dir + "/records"});
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = Dir + "/ctl.out";
        const std::string err = Dir + "/ctl.err";
        posix_spawn_file_actions_adddup2(&actions, input, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (errorOutput >= 0) {
            posix_spawn_file_actions_adddup2(&actions, errorOutput, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0644);
        }
        if (posix_spawnp(&Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            Pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    std::string Err() const { return ReadText(Dir + "/ctl.err"); }
    // The simulated transmitter's calibration log; empty when none was kept.
    std::string Log() const { return ReadText(Dir + "/records/70412.jsonl"); }
    std::string Out() const { return ReadText(Dir + "/ctl.out"); }
    void Interrupt() const { kill(Pid, SIGINT); }
    int Finish() {
        int status = 0;
        if (Pid > 0 && waitpid(Pid, &status, 0) == Pid && WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        return -1;
    }

  private:
    std::string Dir;
    pid_t Pid = -1;
};

// A script's answers: one line per question, written when the test decides.
class Pipe {
  public:
    Pipe() {
        if (pipe(Ends) != 0) {
            Ends[0] = Ends[1] = -1;
        }
    }
    ~Pipe() {
        Close();
        close(Ends[0]);
    }
    int ReadEnd() const { return Ends[0]; }
    void Say(const std::string& line) const {
        const std::string text = line + "\n";
        EXPECT_EQ(write(Ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void Close() {
        if (Ends[1] >= 0) {
            close(Ends[1]);
            Ends[1] = -1;
        }
    }

  private:
    int Ends[2];
};

}  // namespace

TEST(CalibrateTest, ATerminalSessionCalibratesASettlingProbeToWithinATenthOfTheTruth) {
    // Stored before: the default offset 0 and slope -59.16, not the probe's.
    SimulatorProcess simulator(SettlingProbe("tau 8 noise 0.1"));
    ASSERT_TRUE(simulator.IsRunning());
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    Calibration run(simulator, {"--buffers", "7.00,4.01", "--stability", "normal"}, slave, slave);
    close(slave);
    std::string screen;
    std::mutex screenLock;
    std::thread reader([&] {
        char buffer[4096];
        for (;;) {
            const ssize_t got = read(master, buffer, sizeof buffer);  // -1 EIO once all closed
            if (got <= 0) {
                break;
            }
            const std::lock_guard<std::mutex> lock(screenLock);
            screen.append(buffer, static_cast<std::size_t>(got));
        }
    });
    auto text = [&] {
        const std::lock_guard<std::mutex> lock(screenLock);
        return screen;
    };
    auto press = [&](const std::string& keys) {
        EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    };

    ASSERT_NE(WaitForText(text, "pH 7.00 standard, then press Enter"), std::string::npos);
    press("\r");
    const std::size_t second = WaitForText(text, "put the probe into the pH 4.01 buffer");
    ASSERT_NE(second, std::string::npos) << text();
    ASSERT_TRUE(simulator.Control("set voltage " + InPh401));
    press("\r");
    ASSERT_NE(WaitForText(text, "[y/N]", second), std::string::npos) << text();
    // Nothing is written before the answer.
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    press("y\r");
    EXPECT_EQ(run.Finish(), WrittenAndRecorded()) << text();
    reader.join();
    close(master);

    const std::string shown = text();
    // The status line is redrawn in place, and says why it waits.
    EXPECT_NE(shown.find("\r"), std::string::npos);
    EXPECT_NE(shown.find("waiting: drift "), std::string::npos);
    EXPECT_NE(shown.find("waiting: holding "), std::string::npos);
    EXPECT_NE(shown.find("point 1 stable after"), std::string::npos);
    EXPECT_NE(shown.find("written and read back"), std::string::npos);
    EXPECT_EQ(WrittenCodes(simulator), (std::set<int>{58, 59, 60}));
    const std::string out = run.Out();
    EXPECT_NE(out.find("as found"), std::string::npos) << out;
    EXPECT_NE(out.find("overall"), std::string::npos) << out;

    // What the transmitter now holds, read as qx7ctl would read it.
    float offset = 0.0f;
    float slope = 0.0f;
    std::vector<std::uint8_t> stored;
    for (const auto& frame : simulator.Frames()) {
        if (frame.size() == 8 && (frame[1] == 58 || frame[1] == 59)) {
            std::memcpy(frame[1] == 58 ? &offset : &slope, frame.data() + 3, 4);
        }
    }
    EXPECT_NEAR(offset, TrueOffset, 0.3);
    EXPECT_NEAR(slope, TrueSlope, 0.1);
}

TEST(CalibrateTest, AProbeThatDriftsForEverTimesOutWithTheReasonAndNothingIsWritten) {
    // Quiet enough that the drift shows whatever the number of samples a busy machine takes.
    SimulatorProcess simulator(SettlingProbe("tau 0 noise 0.02 drift 1"));
    ASSERT_TRUE(simulator.IsRunning());
    Pipe answers;
    Calibration run(simulator, {"--timeout", "60", "--yes"}, answers.ReadEnd());
    answers.Say("");
    EXPECT_EQ(run.Finish(), 1);
    const std::string err = run.Err();
    EXPECT_NE(err.find("not stable after 60 s: drift "), std::string::npos) << err;
    EXPECT_NE(err.find(" mV/min, limit 0.50 ("), std::string::npos) << err;
    EXPECT_NE(err.find("nothing was written to the transmitter"), std::string::npos) << err;
    // One status line a second, each with the reason.
    EXPECT_NE(err.find("waiting: drift "), std::string::npos) << err;
    EXPECT_EQ(err.find('\r'), std::string::npos);
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    EXPECT_TRUE(run.Log().empty()) << run.Log();

    // A transmitter that gives no sample at all is a communication failure, not a drift.
    std::vector<std::string> silent = SettlingProbe("tau 0");
    silent.insert(silent.end(), {"--fault", "silent on 36"});
    SimulatorProcess mute(silent);
    ASSERT_TRUE(mute.IsRunning());
    Pipe more;
    Calibration none(mute, {"--timeout", "10", "--retries", "0", "--yes"}, more.ReadEnd());
    more.Say("");
    EXPECT_EQ(none.Finish(), 4);
    EXPECT_NE(none.Err().find("no valid sample from the transmitter in 10 s; nothing was written"),
              std::string::npos)
        << none.Err();
    EXPECT_TRUE(WrittenCodes(mute).empty());
    EXPECT_TRUE(none.Log().empty()) << none.Log();
}

TEST(CalibrateTest, TheBufferCheckAsksWhenPh7IsPresentedAsPh401AndNoWritesNothing) {
    // This time the transmitter holds the probe's own slope and offset.
    std::vector<std::string> options = SettlingProbe("tau 8 noise 0.1");
    options.insert(options.end(), {"--set", "offset=4", "--set", "sensitivity=-56.8"});
    SimulatorProcess simulator(options);
    ASSERT_TRUE(simulator.IsRunning());
    Pipe answers;
    Calibration run(simulator, {"--buffers", "4.01,7.00", "--stability", "fast", "--yes"},
                    answers.ReadEnd());
    answers.Say("");
    ASSERT_NE(WaitForText([&] { return run.Err(); }, "continue? [y/N]"), std::string::npos)
        << run.Err();
    answers.Say("n");
    EXPECT_EQ(run.Finish(), 1);
    const std::string err = run.Err();
    EXPECT_NE(err.find("the probe reads like pH 7.01, not 4.01 (pH 7.00 with its present slope "
                       "and offset): continue? [y/N]"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("nothing was written to the transmitter"), std::string::npos) << err;
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    EXPECT_TRUE(run.Log().empty()) << run.Log();
}

TEST(CalibrateTest, CtrlCDuringTheSecondPointWritesNothingAndExits130) {
    SimulatorProcess simulator(SettlingProbe("tau 8 noise 0.1"));
    ASSERT_TRUE(simulator.IsRunning());
    Pipe answers;
    // Without --yes: a point accepted before the signal arrives still writes nothing unasked.
    Calibration run(simulator, {"--buffers", "7.00,4.01", "--stability", "fast", "--json"},
                    answers.ReadEnd());
    answers.Say("");
    auto err = [&] { return run.Err(); };
    const std::size_t second = WaitForText(err, "pH 4.01 buffer; waiting for a line");
    ASSERT_NE(second, std::string::npos) << err();
    ASSERT_TRUE(simulator.Control("set voltage " + InPh401));
    answers.Say("");
    ASSERT_NE(WaitForText(err, "waiting: ", second), std::string::npos) << err();
    run.Interrupt();
    EXPECT_EQ(run.Finish(), 130);
    EXPECT_NE(err().find("interrupted; nothing was written to the transmitter"), std::string::npos)
        << err();
    EXPECT_TRUE(run.Out().empty());
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    EXPECT_TRUE(run.Log().empty()) << run.Log();
}

TEST(CalibrateTest, AScriptGetsThePointsWithTheirRawTracesAndTheWrittenResultAndARecordOfBoth) {
    SimulatorProcess simulator(SettlingProbe("tau 8 noise 0.1"));
    ASSERT_TRUE(simulator.IsRunning());
    Pipe answers;
    Calibration run(simulator,
                    {"--buffers", "7.00,4.01", "--stability", "fast", "--yes", "--json",
                     "--operator", "J. Novák"},
                    answers.ReadEnd());
    answers.Say("");
    ASSERT_NE(WaitForText([&] { return run.Err(); }, "pH 4.01 buffer; waiting for a line"),
              std::string::npos)
        << run.Err();
    ASSERT_TRUE(simulator.Control("set voltage " + InPh401));
    answers.Say("");
    answers.Close();
    ASSERT_EQ(run.Finish(), WrittenAndRecorded()) << run.Err();
    const json report = json::parse(run.Out());
    EXPECT_EQ(report["operator"], "J. Novák");
    EXPECT_EQ(report["written"], true);
    ASSERT_EQ(report["points"].size(), 2u);
    const json& first = report["points"][0];
    EXPECT_EQ(first["library_buffer"], false);
    EXPECT_NEAR(first["standard"].get<double>(), 7.0, 1e-6);
    const json& second = report["points"][1];
    EXPECT_EQ(second["library_buffer"], true);
    EXPECT_NEAR(second["standard"].get<double>(), 4.0096, 1e-3);
    // The samples from immersion to acceptance: time, voltage, temperature. How many depends
    // on how fast the machine keeps up with the quickened clock; their times do not.
    const json& trace = second["trace"];
    ASSERT_GE(trace.size(), 2u);
    for (std::size_t i = 1; i < trace.size(); ++i) {
        EXPECT_LT(trace[i - 1][0].get<double>(), trace[i][0].get<double>());
    }
    // Not before a full 30 s window and the 10 s hold of the fast preset.
    EXPECT_GE(second["stable_after_s"].get<double>(), 40.0);
    EXPECT_EQ(trace.back()[0].get<double>(), second["stable_after_s"].get<double>());
    EXPECT_NEAR(trace.back()[1].get<double>(), std::stod(InPh401), 0.5);
    EXPECT_NEAR(trace.back()[2].get<double>(), 25.0, 0.05);
    EXPECT_GE(second["averaged_samples"].get<std::size_t>(), 5u);
    EXPECT_LE(second["averaged_samples"].get<std::size_t>(), trace.size());
    EXPECT_NEAR(report["as_left"]["offset"].get<double>(), TrueOffset, 0.3);
    EXPECT_NEAR(report["as_left"]["sensitivity"].get<double>(), TrueSlope, 0.1);
    EXPECT_EQ(report["as_found"]["sensitivity"], -59.16);

    if (!RecordsAvailable()) {
        return;
    }
    // The record: one line, chained as the first of the log, with every sample of both points
    // as --json gave them.
    const std::string log = run.Log();
    EXPECT_EQ(CheckChain(log.data(), log.size()).Fault, ChainFault::None);
    ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    const json record = json::parse(log);
    EXPECT_EQ(record["event"], "calibration");
    EXPECT_EQ(record["operator"], "J. Novák");
    EXPECT_EQ(record["device"]["serial_number"], 70412);
    EXPECT_EQ(record["outcome"]["result"], "written");
    EXPECT_EQ(record["as_found"]["slope_mv"], -59.16);
    EXPECT_EQ(record["as_left"]["offset_mv"], report["as_left"]["offset"]);
    EXPECT_EQ(record["as_left"]["slope_mv"], report["as_left"]["sensitivity"]);
    EXPECT_EQ(record["judgement"]["overall"], "good");
    ASSERT_EQ(record["points"].size(), 2u);
    EXPECT_EQ(record["points"][0]["buffer"], nullptr);
    EXPECT_EQ(record["points"][1]["buffer"], "pH 4.01");
    const double settled[] = {std::stod(InPh7), std::stod(InPh401)};
    for (std::size_t p = 0; p < 2; ++p) {
        const json& kept = record["points"][p];
        const json& shown = report["points"][p];
        EXPECT_EQ(kept["samples"], shown["averaged_samples"]);
        EXPECT_NEAR(kept["voltage_mv"].get<double>(), shown["voltage"].get<double>(), 1e-4);
        // The spread over the hold of a settled probe with 0.1 mV of noise.
        EXPECT_GT(kept["spread_mv"].get<double>(), 0.0);
        EXPECT_LT(kept["spread_mv"].get<double>(), 0.5);
        const json& trace = kept["trace"];
        ASSERT_EQ(trace.size(), shown["trace"].size()) << "point " << p + 1;
        for (std::size_t i = 0; i < trace.size(); ++i) {
            const json& sample = trace[i];
            const json& same = shown["trace"][i];
            ASSERT_EQ(sample.size(), 3u);
            EXPECT_NEAR(sample[0].get<double>(), same[0].get<double>(), 0.051);
            EXPECT_NEAR(sample[1].get<double>(), same[1].get<double>(), 0.00051);
            EXPECT_NEAR(sample[2].get<double>(), same[2].get<double>(), 0.0051);
            // One a second at most: sample i waited for second i of the point.
            EXPECT_GE(sample[0].get<double>(), static_cast<double>(i) - 0.05) << "sample " << i;
            // The simulator's probe in the buffer: its temperature holds, and its voltage
            // moves from the last buffer's towards this one's, within six sigma of the noise.
            EXPECT_NEAR(sample[2].get<double>(), 25.0, 0.05);
            const double low = std::min(settled[0], settled[1]) - 0.6;
            const double high = std::max(settled[0], settled[1]) + 0.6;
            EXPECT_GE(sample[1].get<double>(), low);
            EXPECT_LE(sample[1].get<double>(), high);
        }
        EXPECT_NEAR(trace.back()[1].get<double>(), settled[p], 0.5);
    }
    // The first point's probe was in its solution from the start.
    for (const json& sample : record["points"][0]["trace"]) {
        EXPECT_NEAR(sample[1].get<double>(), settled[0], 0.6);
    }
}
