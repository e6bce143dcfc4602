// qx7ctl as a script runs it: the real executable against the simulator on a pseudo-terminal,
// judged by its output, its exit code and what the simulator received and stored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "calibration/sensor_list.h"
#include "link/transmitter_link.h"
#include "tests/support/simulator_process.h"

extern char** environ;

namespace {

using nlohmann::json;

struct Outcome {
    int Code = -1;
    std::string Out;
    std::string Err;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Starts qx7ctl with its output in files of dir.
pid_t StartCtl(const std::vector<std::string>& args, const std::string& dir) {
    std::vector<std::string> words = {QX7CTL_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = dir + "/ctl.out";
    const std::string err = dir + "/ctl.err";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, QX7CTL_PATH, &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Outcome FinishCtl(pid_t pid, const std::string& dir) {
    Outcome outcome;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.Code = WEXITSTATUS(status);
    }
    outcome.Out = ReadText(dir + "/ctl.out");
    outcome.Err = ReadText(dir + "/ctl.err");
    return outcome;
}

// Command codes of the write requests (those with data) the simulator received.
std::multiset<int> WrittenCodes(const SimulatorProcess& simulator, std::size_t from = 0) {
    std::multiset<int> codes;
    const auto frames = simulator.Frames();
    for (std::size_t i = from; i < frames.size(); ++i) {
        if (frames[i].size() > 3 && frames[i][2] > 0) {
            codes.insert(frames[i][1]);
        }
    }
    return codes;
}

class CtlTest : public ::testing::Test {
  protected:
    Outcome Ctl(const SimulatorProcess& simulator, std::vector<std::string> args) {
        for (std::string& arg : args) {
            if (arg == "PORT") {
                arg = simulator.DevicePath();
            }
        }
        return FinishCtl(StartCtl(args, simulator.Directory()), simulator.Directory());
    }

    std::string Backup(const SimulatorProcess& simulator) {
        const std::string path = simulator.Directory() + "/backup.json";
        const Outcome outcome = Ctl(simulator, {"backup", "PORT", path});
        EXPECT_EQ(outcome.Code, 0) << outcome.Err;
        return path;
    }
};

const std::vector<std::string> KnownSettings = {
    "--set", "serial=4711",           "--set", "firmware=0x0210",
    "--set", "output_type=6",         "--set", "input_damping=12",
    "--set", "temperature_damping=7", "--set", "range_min=2",
    "--set", "range_max=12.5",        "--set", "offset=-18",
    "--set", "sensitivity=-59.16",    "--set", "date=20250101"};

TEST_F(CtlTest, InfoGivesEveryExactSettingAndRatesTheSlopeAgainstTheLimits) {
    SimulatorProcess simulator(KnownSettings);
    ASSERT_TRUE(simulator.IsRunning());
    const std::vector<std::string> info = {"info", "PORT", "--json", "--today", "2025-03-01"};
    Outcome outcome = Ctl(simulator, info);
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    const json report = json::parse(outcome.Out);
    EXPECT_EQ(report["identity"], "QX7");
    EXPECT_EQ(report["firmware"], "2.10");
    EXPECT_EQ(report["serial_number"], 4711);
    EXPECT_EQ(report["output_type"], 6);
    const json expected = {
        {"probe_kind", 0},          {"sensor", "Pt100 (3850)"}, {"input_damping", 12},
        {"temperature_damping", 7}, {"range_min", 2.0},         {"range_max", 12.5},
        {"offset", -18.0},          {"sensitivity", -59.16},    {"calibration_date", "2025-01-01"}};
    EXPECT_EQ(report["settings"], expected);
    const json& judgement = report["judgement"];
    EXPECT_EQ(judgement["slope_percent"], 100.0);
    EXPECT_EQ(judgement["slope_rating"], "good");
    EXPECT_EQ(judgement["zero_point_ph"], 6.7);
    EXPECT_EQ(judgement["zero_point_rating"], "good");
    EXPECT_EQ(judgement["days_since_calibration"], 59);
    EXPECT_EQ(judgement["overall"], "good");

    ASSERT_TRUE(simulator.Control("set sensitivity -50"));
    outcome = Ctl(simulator, info);
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_percent"], 84.5);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "check");
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["overall"], "check");

    std::vector<std::string> stricter = info;
    stricter.insert(stricter.end(), {"--limit", "slope_check_min=85"});
    outcome = Ctl(simulator, stricter);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "replace");

    ASSERT_TRUE(simulator.Control("set sensitivity -40"));
    outcome = Ctl(simulator, info);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "replace");

    // The plain report shows the judgement too.
    outcome = Ctl(simulator, {"info", "PORT", "--today", "2025-03-01"});
    EXPECT_NE(outcome.Out.find("67.6 % of -59.16 mV/pH  replace"), std::string::npos)
        << outcome.Out;
    EXPECT_TRUE(WrittenCodes(simulator).empty());
}

TEST_F(CtlTest, InfoRefusesAForeignDeviceAndNamesAnUnknownSensorWithItsPolynomial) {
    SimulatorProcess simulator({"--identity", "QX8", "--set", "c2=0.002"});
    ASSERT_TRUE(simulator.IsRunning());
    Outcome outcome = Ctl(simulator, {"info", "PORT", "--json"});
    EXPECT_EQ(outcome.Code, 3);
    EXPECT_NE(outcome.Err.find("\"QX8\""), std::string::npos) << outcome.Err;
    EXPECT_TRUE(outcome.Out.empty());
    EXPECT_EQ(simulator.Frames().size(), 1u);

    ASSERT_TRUE(simulator.Control("set identity QX7"));
    outcome = Ctl(simulator, {"info", "PORT", "--json"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    const json report = json::parse(outcome.Out);
    EXPECT_EQ(report["settings"]["sensor"], "unknown");
    EXPECT_EQ(report["sensor_polynomial"]["coefficients"][2], 0.002);

    ASSERT_TRUE(simulator.Control("fault silent"));
    EXPECT_EQ(Ctl(simulator, {"info", "PORT"}).Code, 1);
}

TEST_F(CtlTest, ABackupRestoredOntoAnotherTransmitterMakesItEqualWritingOnlyTheDifferences) {
    SimulatorProcess source({"--set", "input_damping=12", "--set", "range_max=12.5", "--set",
                             "offset=4", "--set", "sensitivity=-57", "--set", "date=20250601"});
    SimulatorProcess target;
    ASSERT_TRUE(source.IsRunning());
    ASSERT_TRUE(target.IsRunning());
    ASSERT_EQ(Ctl(source, {"set", "PORT", "sensor", "Pt1000 (3850)"}).Code, 0);
    const std::string backup = Backup(source);

    Outcome outcome = Ctl(target, {"diff", "PORT", backup});
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Out.find("input_damping: transmitter 5, file 12"), std::string::npos)
        << outcome.Out;

    // Without --with-calibration the probe's values stay; a dry run writes nothing at all.
    std::size_t before = target.Frames().size();
    ASSERT_EQ(Ctl(target, {"restore", "PORT", backup, "--dry-run"}).Code, 0);
    EXPECT_TRUE(WrittenCodes(target, before).empty());
    before = target.Frames().size();
    outcome = Ctl(target, {"restore", "PORT", backup});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(WrittenCodes(target, before), (std::multiset<int>{62, 57, 54, 55, 53, 52}));

    before = target.Frames().size();
    outcome = Ctl(target, {"restore", "PORT", backup, "--with-calibration"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(WrittenCodes(target, before), (std::multiset<int>{58, 59, 60}));

    TransmitterLink link;
    ASSERT_TRUE(link.Open(target.DevicePath().c_str()));
    std::uint8_t damping = 0;
    float rangeMax = 0, offset = 0, slope = 0;
    std::uint32_t date = 0;
    std::uint8_t degree = 0;
    CoefficientBlock block{};
    ASSERT_TRUE(link.ReadInputDamping(damping) && link.ReadRangeMax(rangeMax) &&
                link.ReadOffset(offset) && link.ReadSensitivity(slope) &&
                link.ReadCalibrationDate(date) && link.ReadSensorDegree(degree) &&
                link.ReadSensorCoefficients(block));
    link.Close();
    EXPECT_EQ(damping, 12);
    EXPECT_EQ(rangeMax, 12.5f);
    EXPECT_EQ(offset, 4.0f);
    EXPECT_EQ(slope, -57.0f);
    EXPECT_EQ(date, 0x20250601u);
    SensorList* sensors = CreateSensorList();
    const TempSensor* sensor = FindSensor(*sensors, degree, block);
    ASSERT_NE(sensor, nullptr);
    EXPECT_STREQ(sensor->Name, "Pt1000 (3850)");
    sensors->Free();

    EXPECT_EQ(Ctl(target, {"diff", "PORT", backup}).Code, 0);
}

TEST_F(CtlTest, EveryBadFileIsRefusedWholeNamingTheKeyAndNothingIsWritten) {
    SimulatorProcess source({"--set", "input_damping=12"});
    SimulatorProcess target;
    ASSERT_TRUE(source.IsRunning());
    ASSERT_TRUE(target.IsRunning());
    const std::string good = ReadText(Backup(source));
    const json document = json::parse(good);
    struct BadFile {
        const char* Name;
        std::string Text;
        const char* Named;
    };
    auto changed = [&](const char* key, const json& value) {
        json copy = document;
        copy["settings"][key] = value;
        return copy.dump();
    };
    json newer = document;
    newer["format"] = 2;
    json extra = document;
    extra["settings"]["colour"] = "red";
    json missing = document;
    missing["settings"].erase("range_min");
    const std::vector<BadFile> files = {
        {"truncated", good.substr(0, good.size() / 2), "not JSON or is truncated"},
        {"wrong type", changed("input_damping", "12"), "settings.input_damping"},
        {"damping 31", changed("temperature_damping", 31), "settings.temperature_damping"},
        {"unknown sensor", changed("sensor", "Pt500"), "settings.sensor"},
        {"probe kind 2", changed("probe_kind", 2), "settings.probe_kind"},
        {"newer format", newer.dump(), "format"},
        {"unknown key", extra.dump(), "settings.colour"},
        {"missing key", missing.dump(), "settings.range_min"},
    };
    const std::string path = target.Directory() + "/bad.json";
    for (const BadFile& file : files) {
        WriteText(path, file.Text);
        const std::vector<std::vector<std::string>> commands = {
            {"restore", "PORT", path, "--with-calibration"}, {"diff", "PORT", path}};
        for (const std::vector<std::string>& command : commands) {
            const Outcome outcome = Ctl(target, command);
            EXPECT_EQ(outcome.Code, 2) << file.Name << ": " << outcome.Err;
            EXPECT_NE(outcome.Err.find(file.Named), std::string::npos)
                << file.Name << ": " << outcome.Err;
        }
    }
    EXPECT_TRUE(target.Frames().empty());
    // The same checks guard a single write.
    EXPECT_EQ(Ctl(target, {"set", "PORT", "input_damping", "31"}).Code, 2);
    EXPECT_EQ(Ctl(target, {"set", "PORT", "sensor", "Pt500"}).Code, 2);
    EXPECT_TRUE(WrittenCodes(target).empty());
}

TEST_F(CtlTest, AWriteWithoutReplyStopsTheRestoreAndTheReportSaysWhatWasWritten) {
    SimulatorProcess source(
        {"--set", "input_damping=12", "--set", "range_min=1", "--set", "range_max=9"});
    SimulatorProcess target;
    ASSERT_TRUE(source.IsRunning());
    ASSERT_TRUE(target.IsRunning());
    const std::string backup = Backup(source);
    // Range minimum is read once before it is written: the second exchange is the write.
    ASSERT_TRUE(target.Control("fault silent on 56 every 2"));
    const Outcome outcome = Ctl(target, {"restore", "PORT", backup});
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Err.find("writing range_min failed (no valid reply); written: "
                               "input_damping; not written: range_min, range_max"),
              std::string::npos)
        << outcome.Err;
    EXPECT_EQ(WrittenCodes(target), (std::multiset<int>{62, 56}));
}

TEST_F(CtlTest, SettingTheProbeKindWritesTheProbeTypeDefaultsAndSaysSo) {
    SimulatorProcess simulator({"--set", "offset=9"});
    ASSERT_TRUE(simulator.IsRunning());
    const Outcome outcome = Ctl(simulator, {"set", "PORT", "probe_kind", "ISE"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_NE(outcome.Err.find("also resets"), std::string::npos) << outcome.Err;
    EXPECT_EQ(WrittenCodes(simulator), (std::multiset<int>{51, 60, 58, 59, 56, 57}));
}

TEST_F(CtlTest, WatchAppendsWholeRowsWithEmptyCellsForFaultsAndEndsCleanlyOnCtrlC) {
    SimulatorProcess simulator({"--fault", "pattern on 38 every 2"});
    ASSERT_TRUE(simulator.IsRunning());
    const std::string csv = simulator.Directory() + "/live.csv";
    Outcome outcome =
        Ctl(simulator, {"watch", "PORT", "--count", "3", "--interval", "0.05", "--csv", csv});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(Lines(outcome.Out).size(), 3u);
    std::vector<std::string> rows = Lines(ReadText(csv));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "time,resistance_ohm,temperature_c,voltage_mv,measured_value,ratio,fault");
    int faulty = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 6) << rows[i];
        EXPECT_EQ(rows[i].substr(0, 2), "20") << rows[i];
        if (rows[i].find(",,") != std::string::npos) {
            ++faulty;
            EXPECT_NE(rows[i].find(",resistance: fault"), std::string::npos) << rows[i];
        } else {
            EXPECT_EQ(rows[i].back(), ',') << rows[i];
        }
    }
    EXPECT_EQ(faulty, 1);

    // A second run appends without a second header; Ctrl-C ends it with the file whole.
    ASSERT_TRUE(simulator.Control("clear"));
    const pid_t pid =
        StartCtl({"watch", simulator.DevicePath(), "--interval", "0.05", "--csv", csv},
                 simulator.Directory());
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Lines(ReadText(csv)).size() < 6 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGINT);
    outcome = FinishCtl(pid, simulator.Directory());
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    const std::string text = ReadText(csv);
    EXPECT_EQ(text.back(), '\n');
    rows = Lines(text);
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), rows[0]), 1);
    for (std::size_t i = 4; i < rows.size(); ++i) {
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 6) << rows[i];
        EXPECT_EQ(rows[i].find(",,"), std::string::npos) << rows[i];
    }
}

TEST_F(CtlTest, ABackupFromATransmitterThatCopiesRepliesFailsOrHoldsEverySettingsOwnValue) {
    SimulatorProcess simulator(KnownSettings);
    ASSERT_TRUE(simulator.IsRunning());
    const std::string path = simulator.Directory() + "/copied.json";
    // The copies land on a different exchange each time, the last one included.
    for (const char* copies : {"every 2", "every 3", "every 5", "on 61 times 1"}) {
        SCOPED_TRACE(copies);
        ASSERT_TRUE(simulator.Control("clear"));
        ASSERT_TRUE(simulator.Control(std::string("fault duplicate ") + copies));
        std::remove(path.c_str());
        const Outcome outcome = Ctl(simulator, {"backup", "PORT", path});
        if (outcome.Code != 0) {
            EXPECT_EQ(outcome.Code, 1) << outcome.Err;
            continue;
        }
        const json backup = json::parse(ReadText(path));
        EXPECT_EQ(backup["serial_number"], 4711);
        EXPECT_EQ(backup["firmware"], "2.10");
        EXPECT_EQ(backup["output_type"], 6);
        const json& settings = backup["settings"];
        EXPECT_EQ(settings["input_damping"], 12);
        EXPECT_EQ(settings["temperature_damping"], 7);
        EXPECT_EQ(settings["range_min"], 2.0);
        EXPECT_EQ(settings["range_max"], 12.5);
        EXPECT_EQ(settings["offset"], -18.0);
        EXPECT_NEAR(settings["sensitivity"].get<double>(), -59.16, 1e-4);
        EXPECT_EQ(settings["calibration_date"], "2025-01-01");
        EXPECT_EQ(settings["probe_kind"], 0);
        EXPECT_EQ(settings["sensor"], "Pt100 (3850)");
    }
}

}  // namespace
