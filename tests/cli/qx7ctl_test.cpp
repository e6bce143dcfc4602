// qx7ctl as a script runs it: the real executable against the simulator on a pseudo-terminal,
// judged by its output, its exit code and what the simulator received and stored.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "calibration/sensor_list.h"
#include "link/transmitter_link.h"
#include "objects/build_version.h"
#include "records/record_line.h"
#include "records/record_log.h"
#include "records/sha256.h"
#include "tests/support/built_programs.h"
#include "tests/support/program_command.h"
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
    std::vector<std::string> words = ProgramCommand(Qx7ctlProgram());
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
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
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

// The names in dir, for checking that no temporary file was left behind.
std::set<std::string> FileNames(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* folder = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            names.insert(entry->d_name);
        }
        closedir(folder);
    }
    return names;
}

// Milliseconds of the day of a row's time, 2026-03-15T10:20:30.123Z.
long MillisecondsOfDay(const std::string& time) {
    return ((std::stol(time.substr(11, 2)) * 60 + std::stol(time.substr(14, 2))) * 60 +
            std::stol(time.substr(17, 2))) *
               1000 +
           std::stol(time.substr(20, 3));
}

// Waits, at most 20 s, until the simulator has received a write with this command code.
bool WaitForWrite(const SimulatorProcess& simulator, int code) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (WrittenCodes(simulator).count(code) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A records folder of the test run's own, so that no test keeps records in the user's folder.
class RecordsFolderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        char pattern[] = "/tmp/qx7ctl-records-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            Folder = pattern;
            setenv("QX7_RECORDS", Folder.c_str(), 1);
        }
    }
    void TearDown() override {
        if (!Folder.empty()) {
            std::filesystem::remove_all(Folder);
        }
    }

    std::string Folder;
};

RecordsFolderEnvironment* const Records = static_cast<RecordsFolderEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new RecordsFolderEnvironment));

// Whether this build can chain records: the emulated 32-bit build has no SHA-256.
bool RecordsAvailable() {
    char hex[Sha256TextSize];
    return Sha256Hex("", 0, hex);
}

// The exit code of a command that writes the probe's calibration and records it.
int WrittenAndRecorded() {
    return RecordsAvailable() ? 0 : 5;
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

TEST_F(CtlTest, InfoGivesEveryExactSettingAndRatesTheProbeByPhPractice) {
    SimulatorProcess simulator(KnownSettings);
    ASSERT_TRUE(simulator.IsRunning());
    const std::vector<std::string> info = {"info", "PORT", "--json", "--today", "2025-01-20"};
    Outcome outcome = Ctl(simulator, info);
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    const json report = json::parse(outcome.Out);
    EXPECT_EQ(report["identity"], "QX7");
    EXPECT_EQ(report["firmware"], "2.10");
    EXPECT_EQ(report["serial_number"], 4711);
    EXPECT_EQ(report["output_type"], 6);
    EXPECT_EQ(report["schema_version"], 2);
    EXPECT_EQ(report["read_at"].get<std::string>().substr(0, 2), "20");
    EXPECT_EQ(report["limits"]["slope_good_min"], 95.0);
    EXPECT_EQ(report["limits"]["zero_point_check"], 1.0);
    EXPECT_EQ(report["limits"]["age_check"], 90.0);
    const json expected = {
        {"probe_kind", 0},          {"sensor", "Pt100 (3850)"}, {"input_damping", 12},
        {"temperature_damping", 7}, {"range_min", 2.0},         {"range_max", 12.5},
        {"offset", -18.0},          {"sensitivity", -59.16},    {"calibration_date", "2025-01-01"}};
    EXPECT_EQ(report["settings"], expected);
    const json& judgement = report["judgement"];
    EXPECT_EQ(judgement["slope_percent"], 100.0);
    EXPECT_EQ(judgement["slope_rating"], "good");
    EXPECT_EQ(judgement["offset_rating"], "good");
    EXPECT_EQ(judgement["zero_point_ph"], 6.7);
    EXPECT_EQ(judgement["zero_point_rating"], "good");
    EXPECT_EQ(judgement["days_since_calibration"], 19);
    EXPECT_EQ(judgement["overall"], "good");

    // --check: one line, and the exit code says whether the probe is good.
    outcome = Ctl(simulator, {"info", "PORT", "--check", "--today", "2025-01-20"});
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(Lines(outcome.Out).size(), 1u);
    EXPECT_EQ(outcome.Out.rfind("QX7 4711 good: slope 100.0 % good", 0), 0u) << outcome.Out;
    outcome = Ctl(simulator, {"info", "PORT", "--check", "--today", "2025-05-01"});
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Out.find("calibrated 120 days ago recalibrate"), std::string::npos)
        << outcome.Out;
    EXPECT_EQ(outcome.Out.rfind("QX7 4711 recalibrate", 0), 0u) << outcome.Out;

    ASSERT_TRUE(simulator.Control("set sensitivity -53"));
    outcome = Ctl(simulator, info);
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_percent"], 89.6);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "check");
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["overall"], "check");

    std::vector<std::string> stricter = info;
    stricter.insert(stricter.end(), {"--limit", "slope_check_min=90"});
    outcome = Ctl(simulator, stricter);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "replace");
    EXPECT_EQ(json::parse(outcome.Out)["limits"]["slope_check_min"], 90.0);

    // Limits that contradict each other, and names that are no limit, are refused.
    for (const char* limit : {"slope_good_min=104", "offset_check=20", "age_good=-1",
                              "slope_good=90", "zero_point_good=nan"}) {
        std::vector<std::string> wrong = info;
        wrong.insert(wrong.end(), {"--limit", limit});
        EXPECT_EQ(Ctl(simulator, wrong).Code, 2) << limit;
    }

    ASSERT_TRUE(simulator.Control("set sensitivity -40"));
    outcome = Ctl(simulator, info);
    EXPECT_EQ(json::parse(outcome.Out)["judgement"]["slope_rating"], "replace");

    // The plain report shows the judgement too.
    outcome = Ctl(simulator, {"info", "PORT", "--today", "2025-01-20"});
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
    EXPECT_EQ(Ctl(simulator, {"info", "PORT", "--retries", "0"}).Code, 4);
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
    outcome = Ctl(target, {"restore", "PORT", backup, "--dry-run"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_NE(outcome.Out.find("would write input_damping: 5 -> 12"), std::string::npos)
        << outcome.Out;
    EXPECT_TRUE(WrittenCodes(target, before).empty());
    before = target.Frames().size();
    outcome = Ctl(target, {"restore", "PORT", backup});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(WrittenCodes(target, before), (std::multiset<int>{62, 57, 54, 55, 53, 52}));

    before = target.Frames().size();
    outcome = Ctl(target, {"restore", "PORT", backup, "--with-calibration"});
    ASSERT_EQ(outcome.Code, WrittenAndRecorded()) << outcome.Err;
    EXPECT_EQ(WrittenCodes(target, before), (std::multiset<int>{58, 59, 60}));

    // What the target holds now, read through qx7ctl and its retries: a single read of a busy
    // machine may see its time-out end before the reply.
    const json now = json::parse(ReadText(Backup(target)))["settings"];
    EXPECT_EQ(now["input_damping"], 12);
    EXPECT_EQ(now["range_max"], 12.5);
    EXPECT_EQ(now["offset"], 4.0);
    EXPECT_EQ(now["sensitivity"], -57.0);
    EXPECT_EQ(now["calibration_date"], "2025-06-01");
    EXPECT_EQ(now["sensor"], "Pt1000 (3850)");

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
        {"truncated", good.substr(0, good.size() / 2), "not JSON, or cut short"},
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

TEST_F(CtlTest, AWriteThatDidNotTakeIsRetriedThenStopsTheRestoreAndTheReportSaysWhatWasWritten) {
    SimulatorProcess source(
        {"--set", "input_damping=12", "--set", "range_min=1", "--set", "range_max=9"});
    SimulatorProcess target;
    ASSERT_TRUE(source.IsRunning());
    ASSERT_TRUE(target.IsRunning());
    const std::string backup = Backup(source);
    // A write whose reply is lost was stored all the same: the read-back shows it, and it is
    // not sent again. Range minimum is read once before it is written: the second exchange is
    // the write, the third the read-back.
    ASSERT_TRUE(target.Control("fault silent on 56 every 2"));
    Outcome outcome = Ctl(target, {"restore", "PORT", backup});
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(WrittenCodes(target), (std::multiset<int>{62, 56, 57}));

    // A transmitter that stores something else gets the write twice more, then the restore
    // stops there.
    ASSERT_TRUE(target.Control("reset"));
    ASSERT_TRUE(target.Control("clamp range_min 0 0"));
    std::size_t before = target.Frames().size();
    outcome = Ctl(target, {"restore", "PORT", backup});
    EXPECT_EQ(outcome.Code, 4);
    EXPECT_NE(outcome.Err.find("writing range_min failed (the transmitter stored 0); written: "
                               "input_damping; not written: range_min, range_max"),
              std::string::npos)
        << outcome.Err;
    EXPECT_EQ(WrittenCodes(target, before), (std::multiset<int>{62, 56, 56, 56}));
}

TEST_F(CtlTest, SettingTheProbeKindResetsTheCalibrationOnlyWhenConfirmed) {
    SimulatorProcess simulator({"--set", "offset=9"});
    ASSERT_TRUE(simulator.IsRunning());
    // Nobody at a terminal to ask: without --yes nothing is even sent.
    Outcome outcome = Ctl(simulator, {"set", "PORT", "probe_kind", "ISE"});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("--yes"), std::string::npos) << outcome.Err;
    EXPECT_TRUE(simulator.Frames().empty());

    outcome = Ctl(simulator, {"set", "PORT", "probe_kind", "ISE", "--yes"});
    ASSERT_EQ(outcome.Code, WrittenAndRecorded()) << outcome.Err;
    EXPECT_NE(outcome.Err.find("resets the calibration"), std::string::npos) << outcome.Err;
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
    EXPECT_EQ(rows[0],
              "time,serial_number,resistance_ohm,temperature_c,voltage_mv,measured_value,ratio,"
              "fault");
    int faulty = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 7) << rows[i];
        EXPECT_EQ(rows[i].substr(0, 2), "20") << rows[i];
        EXPECT_NE(rows[i].find(",70412,"), std::string::npos) << rows[i];
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
    EXPECT_EQ(outcome.Code, 130) << outcome.Err;
    EXPECT_NE(outcome.Err.find("polls recorded, 0 of them"), std::string::npos) << outcome.Err;
    const std::string text = ReadText(csv);
    EXPECT_EQ(text.back(), '\n');
    rows = Lines(text);
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), rows[0]), 1);
    for (std::size_t i = 4; i < rows.size(); ++i) {
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 7) << rows[i];
        EXPECT_EQ(rows[i].find(",,"), std::string::npos) << rows[i];
    }
}

// Splits at `separator` where no backslash escapes it (nor, with `quotes`, a string field's
// quotes enclose it), and drops the escapes: how a parser reads line protocol's sets.
std::vector<std::string> SplitUnescaped(const std::string& text, char separator, bool quotes) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            parts.back() += text[++i];
        } else if (text[i] == '"' && quotes) {
            quoted = !quoted;
            parts.back() += text[i];
        } else if (text[i] == separator && !quoted) {
            parts.emplace_back();
        } else {
            parts.back() += text[i];
        }
    }
    return parts;
}

struct InfluxPoint {
    std::string Measurement;
    std::map<std::string, std::string> Tags;
    std::map<std::string, std::string> Fields;
    std::string Timestamp;
};

// One line of line protocol as a parser reads it; empty when it is not measurement,tags
// fields timestamp.
std::optional<InfluxPoint> ParseInflux(const std::string& line) {
    std::size_t head = 0;
    while (head < line.size() && line[head] != ' ') {
        head += line[head] == '\\' ? 2 : 1;
    }
    if (head >= line.size()) {
        return std::nullopt;
    }
    const std::vector<std::string> rest = SplitUnescaped(line.substr(head + 1), ' ', true);
    if (rest.size() != 2) {
        return std::nullopt;
    }
    InfluxPoint point;
    std::vector<std::string> tags = SplitUnescaped(line.substr(0, head), ',', false);
    point.Measurement = tags[0];
    for (std::size_t i = 1; i < tags.size(); ++i) {
        const std::size_t equals = tags[i].find('=');
        point.Tags[tags[i].substr(0, equals)] = tags[i].substr(equals + 1);
    }
    for (const std::string& field : SplitUnescaped(rest[0], ',', true)) {
        const std::size_t equals = field.find('=');
        if (equals == std::string::npos) {
            return std::nullopt;
        }
        point.Fields[field.substr(0, equals)] = field.substr(equals + 1);
    }
    point.Timestamp = rest[1];
    return point;
}

// The samples of a Prometheus text file, name{labels} to value; empty when a line is neither
// a HELP or TYPE comment nor a sample, when the file does not end with a line end, or when a
// family's samples do not follow its TYPE line.
std::map<std::string, double> PrometheusSamples(const std::string& text) {
    std::map<std::string, double> samples;
    if (text.empty() || text.back() != '\n') {
        return {};
    }
    std::string family;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("# HELP ", 0) == 0) {
            continue;
        }
        if (line.rfind("# TYPE ", 0) == 0) {
            std::istringstream words(line.substr(7));
            std::string type;
            words >> family >> type;
            if (type != "gauge" && type != "counter") {
                return {};
            }
            continue;
        }
        const std::size_t space = line.rfind(' ');
        if (space == std::string::npos || line.compare(0, family.size(), family) != 0 ||
            line[family.size()] != '{' || line[space - 1] != '}') {
            return {};
        }
        char* end = nullptr;
        const double value = std::strtod(line.c_str() + space + 1, &end);
        if (*end != '\0') {
            return {};
        }
        samples[line.substr(0, space)] = value;
    }
    return samples;
}

// A Prometheus label value as it must appear between the quotes.
std::string PrometheusLabel(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    }
    return escaped;
}

std::string CsvColumn(const std::string& row, int column) {
    std::string cell;
    std::istringstream cells(row);
    for (int i = 0; i <= column; ++i) {
        std::getline(cells, cell, ',');
    }
    return cell;
}

TEST_F(CtlTest, WatchPollsSeveralTransmittersIntoOneCsvInfluxLinesAndAWholePrometheusFile) {
    std::vector<std::unique_ptr<SimulatorProcess>> simulators;
    for (int i = 0; i < 3; ++i) {
        simulators.push_back(std::make_unique<SimulatorProcess>(
            std::vector<std::string>{"--set", "serial=" + std::to_string(101 + i), "--set",
                                     "ph=" + std::to_string(4 + i), "--set", "date=20000101"}));
        ASSERT_TRUE(simulators.back()->IsRunning());
    }
    const std::string dir = simulators[0]->Directory();
    // A port whose name needs every escape of both formats.
    const std::string odd = dir + "/qx7 \"a\",b=c\\d";
    ASSERT_EQ(symlink(simulators[1]->DevicePath().c_str(), odd.c_str()), 0);
    const std::vector<std::string> ports = {simulators[0]->DevicePath(), odd,
                                            simulators[2]->DevicePath()};
    const std::string csv = dir + "/live.csv";
    const std::string influx = dir + "/live.lp";
    const std::string prom = dir + "/qx7.prom";
    std::vector<std::string> args = {"watch"};
    args.insert(args.end(), ports.begin(), ports.end());
    args.insert(args.end(), {"--count", "4", "--interval", "0.1", "--csv", csv, "--influx", influx,
                             "--prom", prom});
    const Outcome outcome = FinishCtl(StartCtl(args, dir), dir);
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;

    // Each transmitter's rows carry its serial number and its own values, in one file.
    std::map<std::string, int> rowsOf;
    const std::vector<std::string> rows = Lines(ReadText(csv));
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), rows[0]), 1);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 7) << rows[i];
        const std::string serial = CsvColumn(rows[i], 1);
        ++rowsOf[serial];
        EXPECT_EQ(CsvColumn(rows[i], 5), std::to_string(std::stoi(serial) - 97)) << rows[i];
    }
    EXPECT_EQ(rowsOf, (std::map<std::string, int>{{"101", 4}, {"102", 4}, {"103", 4}}));
    const std::vector<std::string> shown = Lines(outcome.Out);
    EXPECT_EQ(shown.size(), 12u);
    for (const std::string& line : shown) {
        EXPECT_TRUE(rowsOf.count(line.substr(0, 3)) == 1) << line;
    }
    EXPECT_NE(outcome.Err.find(" (102): 4 polls recorded, 0 of them"), std::string::npos)
        << outcome.Err;

    // Line protocol: the port with its escapes comes back whole as the tag.
    std::map<std::string, int> livesOf;
    int probes = 0;
    for (const std::string& line : Lines(ReadText(influx))) {
        const std::optional<InfluxPoint> point = ParseInflux(line);
        ASSERT_TRUE(point) << line;
        const std::string serial = point->Tags.at("serial");
        EXPECT_EQ(point->Tags.at("port"), ports[std::stoi(serial) - 101]) << line;
        EXPECT_EQ(point->Timestamp.size(), 19u) << line;
        EXPECT_EQ(point->Timestamp.substr(13), "000000") << line;
        if (point->Measurement == "qx7_probe") {
            ++probes;
            EXPECT_EQ(point->Fields.at("rating"), "\"recalibrate\"") << line;
            EXPECT_EQ(point->Fields.at("slope_percent").substr(0, 4), "99.9") << line;
            continue;
        }
        ASSERT_EQ(point->Measurement, "qx7_live") << line;
        ++livesOf[serial];
        EXPECT_EQ(point->Fields.at("measured_value"), std::to_string(std::stoi(serial) - 97));
        EXPECT_EQ(point->Fields.at("faults"), "0i") << line;
        EXPECT_EQ(point->Fields.at("failed"), "false") << line;
        EXPECT_EQ(point->Fields.size(), 7u) << line;
    }
    EXPECT_EQ(livesOf, rowsOf);
    EXPECT_EQ(probes, 3);

    const std::map<std::string, double> samples = PrometheusSamples(ReadText(prom));
    ASSERT_FALSE(samples.empty()) << ReadText(prom);
    for (int i = 0; i < 3; ++i) {
        const std::string labels = "{serial=\"" + std::to_string(101 + i) + "\",port=\"" +
                                   PrometheusLabel(ports[i]) + "\"";
        EXPECT_EQ(samples.at("qx7_polls_total" + labels + "}"), 4.0);
        EXPECT_EQ(samples.at("qx7_faults_total" + labels + "}"), 0.0);
        EXPECT_EQ(samples.at("qx7_measured_value" + labels + "}"), 4.0 + i);
        EXPECT_EQ(samples.at("qx7_up" + labels + "}"), 1.0);
        EXPECT_EQ(samples.at("qx7_probe_rating" + labels + ",part=\"slope\"}"), 0.0);
        EXPECT_EQ(samples.at("qx7_probe_rating" + labels + ",part=\"overall\"}"), 2.0);
    }
    // Nothing of the replacements is left beside the file.
    for (const std::string& name : FileNames(dir)) {
        EXPECT_EQ(name.find(".qx7.prom"), std::string::npos) << name;
    }
}

TEST_F(CtlTest, WatchKeepsTheOthersRhythmWhileOneTransmitterFallsSilent) {
    std::vector<std::unique_ptr<SimulatorProcess>> simulators;
    std::vector<std::string> args = {"watch"};
    for (int i = 0; i < 3; ++i) {
        simulators.push_back(std::make_unique<SimulatorProcess>(
            std::vector<std::string>{"--set", "serial=" + std::to_string(201 + i)}));
        ASSERT_TRUE(simulators.back()->IsRunning());
        args.push_back(simulators.back()->DevicePath());
    }
    const std::string dir = simulators[0]->Directory();
    const std::string csv = dir + "/live.csv";
    const std::string prom = dir + "/qx7.prom";
    args.insert(args.end(), {"--interval", "1", "--csv", csv, "--prom", prom});
    const pid_t pid = StartCtl(args, dir);
    ASSERT_GT(pid, 0);

    auto rowsOf = [&](const std::string& serial, std::size_t from) {
        std::vector<std::string> rows;
        const std::vector<std::string> all = Lines(ReadText(csv));
        for (std::size_t i = std::max<std::size_t>(from, 1); i < all.size(); ++i) {
            if (CsvColumn(all[i], 1) == serial) {
                rows.push_back(all[i]);
            }
        }
        return rows;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (rowsOf("203", 0).empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_FALSE(rowsOf("203", 0).empty());
    ASSERT_TRUE(simulators[2]->Control("fault silent"));
    const std::size_t silentFrom = Lines(ReadText(csv)).size();

    // Twelve polls of each other transmitter, while the silent one's polls wait out their
    // time-outs, and until the silent one has ended a poll at its resistance: the poll that
    // was running when it fell silent ends later, after a time-out for each field, and longer
    // still on a busy machine. The Prometheus file is whole whenever it is read.
    constexpr std::size_t Polls = 12;
    auto silentPollEnded = [&] {
        const std::vector<std::string> rows = rowsOf("203", silentFrom);
        return std::any_of(rows.begin(), rows.end(), [](const std::string& row) {
            return row.find("resistance: no reply") != std::string::npos;
        });
    };
    int snapshots = 0;
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20 + Polls);
    while ((rowsOf("201", silentFrom).size() < Polls || rowsOf("202", silentFrom).size() < Polls ||
            !silentPollEnded()) &&
           std::chrono::steady_clock::now() < deadline) {
        const std::string text = ReadText(prom);
        const std::map<std::string, double> samples = PrometheusSamples(text);
        ASSERT_FALSE(samples.empty()) << text;
        ASSERT_NE(text.find("# TYPE qx7_probe_rating gauge\n"), std::string::npos) << text;
        ++snapshots;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGTERM);
    const Outcome outcome = FinishCtl(pid, dir);
    EXPECT_EQ(outcome.Code, 143) << outcome.Err;
    EXPECT_GT(snapshots, 0);

    for (const char* serial : {"201", "202"}) {
        const std::vector<std::string> rows = rowsOf(serial, silentFrom);
        ASSERT_GE(rows.size(), Polls) << serial;
        long span = MillisecondsOfDay(rows.back().substr(0, 24)) -
                    MillisecondsOfDay(rows.front().substr(0, 24));
        span += span < 0 ? 86400000 : 0;
        // Polled in turn with the silent one, every gap would hold its time-outs too: above
        // 2 s. On a busy machine one reply later than its time-out costs a retry and one
        // poll's slot, 1/11 of a second on this mean; the bound leaves room for a few.
        EXPECT_LT(span / static_cast<double>(rows.size() - 1), 1500.0) << serial;
        for (const std::string& row : rows) {
            EXPECT_EQ(row.back(), ',') << row;
        }
    }
    const std::vector<std::string> silent = rowsOf("203", silentFrom);
    ASSERT_FALSE(silent.empty());
    EXPECT_NE(silent.back().find("resistance: no reply"), std::string::npos) << silent.back();
    const std::map<std::string, double> samples = PrometheusSamples(ReadText(prom));
    const std::string labels =
        "{serial=\"203\",port=\"" + PrometheusLabel(simulators[2]->DevicePath()) + "\"}";
    EXPECT_EQ(samples.at("qx7_up" + labels), 0.0);
    EXPECT_GE(samples.at("qx7_failed_polls_total" + labels), 1.0);
    EXPECT_GE(samples.at("qx7_faults_total" + labels), 5.0);
}

TEST_F(CtlTest, APortThatIsNoSerialDeviceIsRefusedBeforeAByteIsWritten) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    const std::string backup = Backup(simulator);
    const std::string saved = ReadText(backup);
    // The arguments of backup swapped: the backup is the "port", the port the "file".
    Outcome outcome = Ctl(simulator, {"backup", backup, "PORT"});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("a character device, not a file to write"), std::string::npos)
        << outcome.Err;
    EXPECT_EQ(ReadText(backup), saved);
    outcome = Ctl(simulator, {"info", backup});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find(backup + " is a regular file"), std::string::npos) << outcome.Err;
    EXPECT_EQ(Ctl(simulator, {"watch", backup, "--count", "1"}).Code, 2);
    EXPECT_EQ(ReadText(backup), saved);
    EXPECT_EQ(Ctl(simulator, {"info", "/dev/null"}).Code, 2);
    EXPECT_EQ(Ctl(simulator, {"info", simulator.Directory()}).Code, 2);
    // A port that does not open names the path tried and the reason.
    outcome = Ctl(simulator, {"info", "ttyQX7missing"});
    EXPECT_EQ(outcome.Code, 4);
    EXPECT_NE(outcome.Err.find("/dev/ttyQX7missing: no such device"), std::string::npos)
        << outcome.Err;
}

TEST_F(CtlTest, AFailedOrUnrestorableBackupLeavesTheFileBeforeItWholeAndNothingBeside) {
    SimulatorProcess simulator({"--set", "output_type=6"});
    ASSERT_TRUE(simulator.IsRunning());
    const std::string backup = Backup(simulator);
    const std::string saved = ReadText(backup);
    const std::set<std::string> files = FileNames(simulator.Directory());

    ASSERT_TRUE(simulator.Control("fault silent on 59"));
    Outcome outcome = Ctl(simulator, {"backup", "PORT", backup, "--retries", "0"});
    EXPECT_EQ(outcome.Code, 4);
    EXPECT_NE(outcome.Err.find("no valid reply when reading the slope"), std::string::npos)
        << outcome.Err;
    EXPECT_EQ(ReadText(backup), saved);

    // Values that restore would refuse are named with their bytes, and nothing is saved.
    ASSERT_TRUE(simulator.Control("clear"));
    ASSERT_TRUE(simulator.Control("fault pattern on 58"));
    ASSERT_TRUE(simulator.Control("set probe_kind 2"));
    ASSERT_TRUE(simulator.Control("set input_damping 200"));
    ASSERT_TRUE(simulator.Control("set date 20261340"));
    outcome = Ctl(simulator, {"backup", "PORT", backup});
    EXPECT_EQ(outcome.Code, 4);
    for (const char* named : {"probe_kind: probe kind (0 pH, 1 ISE) 2 is outside 0 to 1 (bytes 02)",
                              "input_damping: damping 200 is outside 0 to 30 (bytes C8)",
                              "offset: expected a number, found null (bytes FF FF FF FF)",
                              "\"2026-13-40\" is not a real date YYYY-MM-DD (bytes 40 13 26 20)"}) {
        EXPECT_NE(outcome.Err.find(named), std::string::npos) << named << '\n' << outcome.Err;
    }
    EXPECT_EQ(ReadText(backup), saved);
    EXPECT_EQ(Ctl(simulator, {"backup", "PORT", "-"}).Code, 4);
    EXPECT_EQ(FileNames(simulator.Directory()), files);

    // info shows such values for what they are.
    outcome = Ctl(simulator, {"info", "PORT"});
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    for (const char* shown : {"output type          unknown (byte 06)",
                              "offset               no valid value (bytes FF FF FF FF)",
                              "calibration date     2026-13-40 (not a real date",
                              "input damping        200 (outside 0 to 30)"}) {
        EXPECT_NE(outcome.Out.find(shown), std::string::npos) << shown << '\n' << outcome.Out;
    }

    // "-" is standard output.
    ASSERT_TRUE(simulator.Control("reset"));
    outcome = Ctl(simulator, {"backup", "PORT", "-"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(json::parse(outcome.Out)["serial_number"], 70412);
    EXPECT_EQ(FileNames(simulator.Directory()), files);
}

TEST_F(CtlTest, EveryCommandEndsWithTheExitCodeOfItsKindOfOutcome) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    const std::string backup = Backup(simulator);
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT", backup}).Code, 0);
    ASSERT_TRUE(simulator.Control("set input_damping 9"));
    Outcome outcome = Ctl(simulator, {"diff", "PORT", backup, "--json"});
    EXPECT_EQ(outcome.Code, 1);
    const json differences = json::parse(outcome.Out);
    EXPECT_EQ(differences["equal"], false);
    EXPECT_EQ(differences["differences"],
              json::parse(R"([{"key": "input_damping", "transmitter": 9, "file": 5}])"));
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT", simulator.Directory()}).Code, 2);
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT"}).Code, 2);
    outcome = Ctl(simulator, {"bakup", "PORT", backup});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("did you mean backup?"), std::string::npos) << outcome.Err;
    ASSERT_TRUE(simulator.Control("set identity QX8"));
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT", backup}).Code, 3);
    ASSERT_TRUE(simulator.Control("set identity QX7"));
    ASSERT_TRUE(simulator.Control("fault silent on 62"));
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT", backup, "--retries", "0"}).Code, 4);
    ASSERT_TRUE(simulator.Control("clear"));

    outcome = Ctl(simulator, {"--version"});
    EXPECT_EQ(outcome.Code, 0);
    EXPECT_EQ(outcome.Out, std::string(BuildVersion()) + "\n");
    outcome = Ctl(simulator, {"help", "restore"});
    EXPECT_EQ(outcome.Code, 0);
    EXPECT_NE(outcome.Out.find("--with-calibration"), std::string::npos) << outcome.Out;
    EXPECT_NE(outcome.Out.find("130 and 143"), std::string::npos) << outcome.Out;
    outcome = Ctl(simulator, {"ports", "--json"});
    EXPECT_EQ(outcome.Code, 0);
    EXPECT_TRUE(json::parse(outcome.Out).is_array());

    // QX7_PORT stands in for a port left out, whatever follows it.
    setenv("QX7_PORT", simulator.DevicePath().c_str(), 1);
    const Outcome fromEnvironment = Ctl(simulator, {"diff", backup});
    const Outcome setFromEnvironment = Ctl(simulator, {"set", "input_damping", "5"});
    unsetenv("QX7_PORT");
    EXPECT_EQ(fromEnvironment.Code, 1) << fromEnvironment.Err;
    EXPECT_EQ(setFromEnvironment.Code, 0) << setFromEnvironment.Err;
    EXPECT_EQ(Ctl(simulator, {"diff", "PORT", backup}).Code, 0);
}

TEST_F(CtlTest, ImplausibleWritesAreRefusedUnlessForcedAndNonFiniteOnesAlways) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    const std::string good = ReadText(Backup(simulator));
    for (const std::vector<std::string>& refused :
         std::vector<std::vector<std::string>>{{"sensitivity", "59.16"},
                                               {"sensitivity", "0"},
                                               {"sensitivity", "-90"},
                                               {"range_min", "20"},
                                               {"range_max", "-1"}}) {
        const Outcome outcome = Ctl(simulator, {"set", "PORT", refused[0], refused[1]});
        EXPECT_EQ(outcome.Code, 2) << refused[0] << ' ' << refused[1] << ": " << outcome.Err;
        EXPECT_NE(outcome.Err.find("--force"), std::string::npos) << outcome.Err;
    }
    for (const char* value : {"nan", "inf", "-inf", "1e39"}) {
        EXPECT_EQ(Ctl(simulator, {"set", "PORT", "offset", value, "--force"}).Code, 2) << value;
    }
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    EXPECT_EQ(Ctl(simulator, {"set", "PORT", "sensitivity", "-25"}).Code, WrittenAndRecorded());
    EXPECT_EQ(Ctl(simulator, {"set", "PORT", "range_min", "20", "--force"}).Code, 0);
    EXPECT_EQ(WrittenCodes(simulator), (std::multiset<int>{59, 56}));

    // restore applies the same rules to the file, before it opens the port.
    SimulatorProcess target;
    ASSERT_TRUE(target.IsRunning());
    const std::string path = target.Directory() + "/odd.json";
    json odd = json::parse(good);
    odd["settings"]["sensitivity"] = 59.16;
    WriteText(path, odd.dump());
    Outcome outcome = Ctl(target, {"restore", "PORT", path, "--with-calibration"});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("a pH probe's slope is negative"), std::string::npos) << outcome.Err;
    odd = json::parse(good);
    odd["settings"]["range_min"] = 14;
    WriteText(path, odd.dump());
    outcome = Ctl(target, {"restore", "PORT", path});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("range_min 14 is not below range_max 14"), std::string::npos)
        << outcome.Err;
    EXPECT_TRUE(target.Frames().empty());
    EXPECT_EQ(Ctl(target, {"restore", "PORT", path, "--force"}).Code, 0);
    EXPECT_EQ(WrittenCodes(target), (std::multiset<int>{56}));
}

TEST_F(CtlTest, HostileFilesAreRefusedAtOnceNamingTheFileAndNothingReachesTheTerminalRaw) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    const std::string good = ReadText(Backup(simulator));
    const std::size_t before = simulator.Frames().size();
    const std::string path = simulator.Directory() + "/hostile.json";
    struct HostileFile {
        const char* Name;
        std::string Text;
        const char* Named;
    };
    std::string escapes = good;
    escapes.insert(escapes.find("\"settings\": {") + 13,
                   "\"\\u001b]0;owned\\u0007\\u001b[2J\": 1,");
    std::string duplicate = good;
    duplicate.insert(duplicate.find("\"offset\""), "\"offset\": 5, ");
    std::string huge = good;
    huge.insert(1, "\"padding\": \"" + std::string(1100 * 1024, 'x') + "\",");
    const std::vector<HostileFile> files = {
        {"escape sequences", escapes, "settings.\\x1B]0;owned\\x07\\x1B[2J: unknown key"},
        {"duplicate key", duplicate, "the key \"offset\" appears twice"},
        {"larger than 1 MiB", huge, "larger than 1 MiB"},
        {"bad token", "{\n  \"format\": 1,\n  \"read_at\": x\n}", "line 3, column 14"},
        {"number overflow", "{\"format\": 1e999}", "not a settings file"},
    };
    for (const HostileFile& file : files) {
        WriteText(path, file.Text);
        const Outcome outcome = Ctl(simulator, {"restore", "PORT", path, "--with-calibration"});
        EXPECT_EQ(outcome.Code, 2) << file.Name << ": " << outcome.Err;
        EXPECT_NE(outcome.Err.find(path + ": "), std::string::npos) << file.Name << outcome.Err;
        EXPECT_NE(outcome.Err.find(file.Named), std::string::npos) << file.Name << outcome.Err;
        EXPECT_EQ(outcome.Err.find('\x1b'), std::string::npos) << file.Name;
    }
    // A FIFO or a directory as the file is refused without waiting on it.
    const std::string fifo = simulator.Directory() + "/fifo.json";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Outcome outcome = Ctl(simulator, {"diff", "PORT", fifo});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find(fifo + ": a FIFO"), std::string::npos) << outcome.Err;
    outcome = Ctl(simulator, {"restore", "PORT", simulator.Directory()});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find(": a directory"), std::string::npos) << outcome.Err;
    EXPECT_EQ(simulator.Frames().size(), before);
}

TEST_F(CtlTest, WatchRefusesBadOptionsMakesUpNoMissedPollsAndCountsTheFailedOnes) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.IsRunning());
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--interval", "nan"},
                                               {"--interval", "0"},
                                               {"--interval", "-1"},
                                               {"--interval", "inf"},
                                               {"--count", "-1"},
                                               {"--count", "0"},
                                               {"--info-every", "0"},
                                               {"--info-every", "nan"},
                                               {"--queue", "0"},
                                               {"--prom", simulator.Directory()}}) {
        EXPECT_EQ(Ctl(simulator, {"watch", "PORT", bad[0], bad[1]}).Code, 2) << bad[0] << bad[1];
    }
    // One port twice would have two threads take each other's replies.
    Outcome outcome = Ctl(simulator, {"watch", "PORT", "PORT", "--count", "1"});
    EXPECT_EQ(outcome.Code, 2);
    EXPECT_NE(outcome.Err.find("is given twice"), std::string::npos) << outcome.Err;
    // A build without an MQTT client says so in its help and refuses the option.
    if (Ctl(simulator, {"watch", "--help"}).Out.find("this build has no MQTT") !=
        std::string::npos) {
        outcome =
            Ctl(simulator, {"watch", "PORT", "--count", "1", "--mqtt", "mqtt://127.0.0.1/qx7"});
        EXPECT_EQ(outcome.Code, 2);
        EXPECT_NE(outcome.Err.find("qx7ctl: this build has no MQTT"), std::string::npos)
            << outcome.Err;
    }
    EXPECT_TRUE(simulator.Frames().empty());
    // A CSV with other columns is not appended to.
    const std::string csv = simulator.Directory() + "/live.csv";
    WriteText(csv, "time,resistance_ohm\n1,2\n");
    EXPECT_EQ(Ctl(simulator, {"watch", "PORT", "--count", "1", "--csv", csv}).Code, 2);
    EXPECT_EQ(ReadText(csv), "time,resistance_ohm\n1,2\n");
    EXPECT_TRUE(simulator.Frames().empty());
    unlink(csv.c_str());

    // The first poll outlasts several intervals; the polls after it keep the interval.
    ASSERT_TRUE(simulator.Control("fault silent on 38,39,40,41,42 times 5"));
    outcome = Ctl(simulator, {"watch", "PORT", "--retries", "0", "--interval", "0.5", "--count",
                              "4", "--csv", csv});
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_NE(outcome.Err.find("4 polls recorded, 1 of them with a value that got no reply"),
              std::string::npos)
        << outcome.Err;
    const std::vector<std::string> rows = Lines(ReadText(csv));
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 2; i < rows.size(); ++i) {
        const long gap = MillisecondsOfDay(rows[i]) - MillisecondsOfDay(rows[i - 1]);
        EXPECT_TRUE(gap >= 450 || gap < -80000000) << rows[i - 1] << '\n' << rows[i];
    }

    // Line protocol on standard output has it to itself: no terminal lines among it.
    outcome =
        Ctl(simulator, {"watch", "PORT", "--count", "2", "--interval", "0.05", "--influx", "-"});
    EXPECT_EQ(outcome.Code, 0) << outcome.Err;
    const std::vector<std::string> lines = Lines(outcome.Out);
    ASSERT_EQ(lines.size(), 3u) << outcome.Out;
    EXPECT_EQ(lines[0].rfind("qx7_probe,serial=70412,", 0), 0u) << lines[0];
    EXPECT_EQ(lines[2].rfind("qx7_live,serial=70412,", 0), 0u) << lines[2];

    ASSERT_TRUE(simulator.Control("fault silent on 38,39,40,41,42"));
    outcome =
        Ctl(simulator, {"watch", "PORT", "--retries", "0", "--interval", "0.1", "--count", "2"});
    EXPECT_EQ(outcome.Code, 4) << outcome.Err;
    EXPECT_NE(outcome.Err.find("2 polls recorded, 2 of them"), std::string::npos) << outcome.Err;
}

TEST_F(CtlTest, ASignalDuringRestoreEndsTheWriteInProgressThenStopsWithAnAccount) {
    SimulatorProcess source(
        {"--set", "input_damping=12", "--set", "temperature_damping=7", "--set", "range_min=1"});
    SimulatorProcess target;
    ASSERT_TRUE(source.IsRunning());
    ASSERT_TRUE(target.IsRunning());
    const std::string backup = Backup(source);
    // The transmitter keeps storing another temperature damping, so that write is tried again
    // and again, slowly: the signal reaches the restore while it is in progress.
    ASSERT_TRUE(target.Control("clamp temperature_damping 3 3"));
    ASSERT_TRUE(target.Control("delay 100"));
    const pid_t pid =
        StartCtl({"restore", target.DevicePath(), backup, "--retries", "100"}, target.Directory());
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitForWrite(target, 61));
    kill(pid, SIGTERM);
    const Outcome outcome = FinishCtl(pid, target.Directory());
    EXPECT_EQ(outcome.Code, 143) << outcome.Err;
    EXPECT_NE(outcome.Err.find("written: input_damping; sent but not confirmed: "
                               "temperature_damping; not written: range_min"),
              std::string::npos)
        << outcome.Err;
    const std::multiset<int> written = WrittenCodes(target);
    EXPECT_EQ(written.count(62), 1u);
    EXPECT_EQ(written.count(56), 0u);
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
            EXPECT_EQ(outcome.Code, 4) << outcome.Err;
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

// A transmitter's log as the window program and qx7ctl leave it: calibrations a month apart.
class RecordsTest : public CtlTest {
  protected:
    void SetUp() override {
        if (!RecordsAvailable()) {
            GTEST_SKIP() << "this build has no SHA-256";
        }
    }

    static CalibrationRecord Calibration(const std::string& time, float foundOffset,
                                         float foundSlope, std::uint32_t foundDate, float offset,
                                         float slope, std::uint32_t date) {
        CalibrationRecord record;
        record.Time = time.c_str();
        record.Program = "qx7config";
        record.Version = "1.0.0";
        record.Operator = "novak";
        record.Device = {"QX7", 0x0210, 4711};
        record.Event = RecordEvent::Calibration;
        record.AsFound = {0, foundOffset, foundSlope, foundDate};
        record.AsLeft = {0, offset, slope, date};
        record.AddPoint({"pH 6.86", 25.0f, 6.865f, offset, 36, 0.1f, {}});
        // The second point as calibrate keeps it, with the samples it waited on, which
        // history, undo and certificate read past.
        RecordedPoint second{"pH 4.01", 25.0f, 4.0096f, offset - 2.855f * slope, 20, 0.2f, {}};
        for (int s = 0; s < 120; ++s) {
            second.Trace.Add({static_cast<float>(s), second.Voltage, 25.0f});
        }
        record.AddPoint(second);
        record.Judgement = RateProbe(0, offset, slope, RatingLimits{});
        return record;
    }

    // Four calibrations, the slope falling by about one percent a month; the last leaves the
    // simulator's KnownSettings (offset -18, slope -59.16, 2025-01-01).
    static void CalibratedFourTimes(const std::string& folder) {
        const RecordLog log(folder.c_str());
        ASSERT_TRUE(log.Append(Calibration("2024-10-01T08:00:00Z", -9.0f, -61.5f, 0x20240101,
                                           -10.0f, -61.0f, 0x20241001)));
        ASSERT_TRUE(log.Append(Calibration("2024-11-01T08:00:00Z", -10.0f, -61.0f, 0x20241001,
                                           -12.0f, -60.4f, 0x20241101)));
        ASSERT_TRUE(log.Append(Calibration("2024-12-01T08:00:00Z", -12.0f, -60.4f, 0x20241101,
                                           -15.0f, -59.8f, 0x20241201)));
        ASSERT_TRUE(log.Append(Calibration("2025-01-01T08:00:00Z", -15.0f, -59.8f, 0x20241201,
                                           -18.0f, -59.16f, 0x20250101)));
    }

    static std::string LogOf(const std::string& folder) { return folder + "/4711.jsonl"; }
};

TEST_F(RecordsTest, HistoryListsTheRecordsNewestFirstWithTheSlopesTrend) {
    SimulatorProcess simulator(KnownSettings);
    const std::string folder = simulator.Directory() + "/records";
    CalibratedFourTimes(folder);
    Outcome outcome = Ctl(simulator, {"history", "4711", "--records", folder});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    std::cout << outcome.Out;
    const std::vector<std::string> lines = Lines(outcome.Out);
    ASSERT_EQ(lines.size(), 7u) << outcome.Out;
    EXPECT_EQ(lines[2].substr(0, 3), "4  ") << "newest first";
    EXPECT_NE(lines[2].find("-59.16"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("100.0"), std::string::npos) << "slope %: " << lines[2];
    EXPECT_NE(lines[6].find("trend: slope -1.0"), std::string::npos) << lines[6];
    EXPECT_NE(lines[6].find("reaches 85 % (replace) on 2026-"), std::string::npos) << lines[6];

    // The same through the port, as JSON.
    outcome = Ctl(simulator, {"history", "PORT", "--records", folder, "--json", "--verify"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    const json history = json::parse(outcome.Out);
    EXPECT_EQ(history["serial_number"], 4711);
    ASSERT_EQ(history["records"].size(), 4u);
    EXPECT_EQ(history["records"][0]["seq"], 4);
    EXPECT_EQ(history["records"][0]["points"][0]["buffer"], "pH 6.86");
    EXPECT_LT(history["trend"]["slope_percent_per_month"].get<double>(), -0.9);
    EXPECT_EQ(history["chain"]["intact"], true);
}

TEST_F(RecordsTest, VerifyNamesTheFirstLineChangedRemovedOrInserted) {
    SimulatorProcess simulator(KnownSettings);
    const std::string folder = simulator.Directory() + "/records";
    CalibratedFourTimes(folder);
    Outcome outcome = Ctl(simulator, {"history", "4711", "--records", folder, "--verify"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_NE(outcome.Out.find("chain intact: 4 lines"), std::string::npos) << outcome.Out;

    const std::vector<std::string> lines = Lines(ReadText(LogOf(folder)));
    const auto verify = [&](std::vector<std::string> edited) {
        const std::string other = simulator.Directory() + "/edited";
        std::filesystem::create_directories(other);
        std::string text;
        for (const std::string& line : edited) {
            text += line + "\n";
        }
        WriteText(LogOf(other), text);
        return Ctl(simulator, {"history", "4711", "--records", other, "--verify"});
    };

    std::vector<std::string> changed = lines;
    const std::size_t at = changed[1].find("\"slope_mv\":-60.4");
    ASSERT_NE(at, std::string::npos);
    changed[1].replace(at, 16, "\"slope_mv\":-60.9");
    outcome = verify(changed);
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Out.find("chain broken: line 2 was changed"), std::string::npos)
        << outcome.Out;

    std::vector<std::string> removed = lines;
    removed.erase(removed.begin() + 2);
    outcome = verify(removed);
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Out.find("chain broken: a line was removed before line 3"), std::string::npos)
        << outcome.Out;

    std::vector<std::string> inserted = lines;
    inserted.insert(inserted.begin() + 3, lines[1]);
    outcome = verify(inserted);
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Out.find("chain broken: line 4 was inserted"), std::string::npos)
        << outcome.Out;
}

TEST_F(RecordsTest, UndoAfterACalibrationPutsBackWhatItFoundAndRecordsThat) {
    SimulatorProcess simulator(KnownSettings);
    const std::string folder = simulator.Directory() + "/records";
    CalibratedFourTimes(folder);
    Outcome outcome = Ctl(simulator, {"undo", "PORT", "--records", folder});
    EXPECT_EQ(outcome.Code, 2) << "a script must say --yes: " << outcome.Err;
    EXPECT_TRUE(WrittenCodes(simulator).empty());

    outcome =
        Ctl(simulator, {"undo", "PORT", "--records", folder, "--yes", "--operator", "dvorak"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(WrittenCodes(simulator), (std::multiset<int>{58, 59, 60}));
    outcome = Ctl(simulator, {"info", "PORT", "--json"});
    const json info = json::parse(outcome.Out);
    EXPECT_EQ(info["settings"]["offset"], -15.0);
    EXPECT_EQ(info["settings"]["sensitivity"], -59.8);
    EXPECT_EQ(info["settings"]["calibration_date"], "2024-12-01");

    const std::vector<std::string> lines = Lines(ReadText(LogOf(folder)));
    ASSERT_EQ(lines.size(), 5u);
    const json undo = json::parse(lines[4]);
    EXPECT_EQ(undo["event"], "undo");
    EXPECT_EQ(undo["operator"], "dvorak");
    EXPECT_EQ(undo["tool"]["program"], "qx7ctl");
    EXPECT_EQ(undo["as_found"]["offset_mv"], -18);
    EXPECT_EQ(undo["as_left"]["offset_mv"], -15);
    EXPECT_EQ(undo["outcome"]["result"], "written");
    EXPECT_EQ(Ctl(simulator, {"history", "4711", "--records", folder, "--verify"}).Code, 0);
}

TEST_F(RecordsTest, UndoRefusesOverValuesSomeoneElseWroteSince) {
    SimulatorProcess simulator(KnownSettings);
    const std::string folder = simulator.Directory() + "/records";
    CalibratedFourTimes(folder);
    // A slope that gets no reply, even tried again, is unknown, not changed by someone else.
    ASSERT_TRUE(simulator.Control("fault silent on 59"));
    Outcome outcome = Ctl(simulator, {"undo", "PORT", "--records", folder, "--yes"});
    EXPECT_EQ(outcome.Code, 4) << outcome.Err;
    EXPECT_NE(outcome.Err.find("no valid reply when reading the calibration"), std::string::npos)
        << outcome.Err;
    ASSERT_TRUE(simulator.Control("clear"));

    ASSERT_TRUE(simulator.Control("set offset -17.5"));
    outcome = Ctl(simulator, {"undo", "PORT", "--records", folder, "--yes"});
    EXPECT_EQ(outcome.Code, 1);
    EXPECT_NE(outcome.Err.find("offset -17.5 mV (expected -18)"), std::string::npos) << outcome.Err;
    EXPECT_TRUE(WrittenCodes(simulator).empty());
    EXPECT_EQ(Lines(ReadText(LogOf(folder))).size(), 4u);
}

TEST_F(RecordsTest, CalibrationWritesOfSetAndRestoreAreRecordedAndAFailedRecordHasItsOwnCode) {
    SimulatorProcess simulator(KnownSettings);
    Outcome outcome = Ctl(simulator, {"set", "PORT", "offset", "-12.5", "--operator", "novak"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    EXPECT_EQ(Ctl(simulator, {"set", "PORT", "input_damping", "9"}).Code, 0);
    std::vector<std::string> lines = Lines(ReadText(Records->Folder + "/4711.jsonl"));
    ASSERT_EQ(lines.size(), 1u) << "damping is no calibration";
    json record = json::parse(lines[0]);
    EXPECT_EQ(record["event"], "set");
    EXPECT_EQ(record["operator"], "novak");
    EXPECT_EQ(record["as_found"]["offset_mv"], -18);
    EXPECT_EQ(record["as_left"]["offset_mv"], -12.5);

    const std::string backup = Backup(simulator);
    ASSERT_EQ(Ctl(simulator, {"set", "PORT", "offset", "3"}).Code, 0);
    outcome = Ctl(simulator, {"restore", "PORT", backup, "--with-calibration"});
    ASSERT_EQ(outcome.Code, 0) << outcome.Err;
    lines = Lines(ReadText(Records->Folder + "/4711.jsonl"));
    ASSERT_EQ(lines.size(), 3u);
    record = json::parse(lines[2]);
    EXPECT_EQ(record["event"], "restore");
    EXPECT_EQ(record["as_found"]["offset_mv"], 3);
    EXPECT_EQ(record["as_left"]["offset_mv"], -12.5);

    // A file where the records folder should be: the write is made, the exit code says the
    // record is missing.
    const std::string blocked = simulator.Directory() + "/blocked";
    WriteText(blocked, "x");
    const std::size_t before = simulator.Frames().size();
    outcome = Ctl(simulator, {"set", "PORT", "offset", "1", "--records", blocked + "/records"});
    EXPECT_EQ(outcome.Code, 5);
    EXPECT_NE(outcome.Err.find("could not be kept in \"" + blocked + "/records\""),
              std::string::npos)
        << outcome.Err;
    EXPECT_EQ(WrittenCodes(simulator, before), (std::multiset<int>{58}));
}

// Chromium prints the page as a person would; poppler's tools read the PDF back.
TEST_F(RecordsTest, ACertificatePrintsOnOneA4PageWithEveryValueAndTheChainHash) {
    SimulatorProcess simulator(KnownSettings);
    const std::string dir = simulator.Directory();
    const std::string folder = dir + "/records";
    CalibratedFourTimes(folder);
    const std::vector<std::string> lines = Lines(ReadText(LogOf(folder)));
    char hash[Sha256TextSize];
    ASSERT_TRUE(Sha256Hex(lines[3].data(), lines[3].size(), hash));
    std::filesystem::create_directories(CertificateFolder());

    for (const std::string lang : {"en", "cs"}) {
        const std::string html = dir + "/certificate-" + lang + ".html";
        const Outcome outcome = Ctl(
            simulator, {"certificate", "4711", "--records", folder, "--lang", lang, "-o", html});
        ASSERT_EQ(outcome.Code, 0) << outcome.Err;
        const std::string page = ReadText(html);
        EXPECT_EQ(page.find("http"), std::string::npos) << "no external files";
        EXPECT_EQ(page.find("src="), std::string::npos) << "no external files";

        const std::string pdf = dir + "/certificate-" + lang + ".pdf";
        const std::string png = std::string(CertificateFolder()) + "/certificate-" + lang;
        const std::string print =
            "timeout 120 chromium --headless --no-sandbox --disable-gpu "
            "--no-first-run --user-data-dir=" +
            dir + "/chromium " + "--no-pdf-header-footer --print-to-pdf=" + pdf + " file://" +
            html + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(print.c_str()), 0) << print;
        ASSERT_EQ(std::system(("pdfinfo " + pdf + " > " + pdf + ".info").c_str()), 0);
        const std::string info = ReadText(pdf + ".info");
        EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
        EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
        ASSERT_EQ(std::system(("pdftotext -layout " + pdf + " " + pdf + ".txt").c_str()), 0);
        ASSERT_EQ(std::system(("pdftoppm -png -r 80 -singlefile " + pdf + " " + png).c_str()), 0);
        const std::string text = ReadText(pdf + ".txt");
        std::string compact;
        for (char c : text) {
            if (c != ' ' && c != '\n') {
                compact += c;
            }
        }
        EXPECT_NE(compact.find(hash), std::string::npos) << "the chain hash: " << text;
        const std::vector<std::string> values = {"QX7",        "2.10",
                                                 "4711",       "2025-01-01T08:00:00Z",
                                                 "novak",      "qx7config 1.0.0",
                                                 "pH 6.86",    "pH 4.01",
                                                 "25.00",      "6.865",
                                                 "4.010",      "-18.000",
                                                 "150.902",    "36",
                                                 "0.10",       "0.20",
                                                 "-59.160",    "100.0",
                                                 "6.70",       "good",
                                                 "-15.000",    "-59.800",
                                                 "2024-12-01", "2025-01-01",
                                                 "written",    "95",
                                                 "103",        "110",
                                                 "30",         "60"};
        for (const std::string& value : values) {
            EXPECT_NE(text.find(value), std::string::npos) << lang << ": " << value;
        }
        const std::vector<const char*> words =
            lang == "cs" ? std::vector<const char*>{"Kalibrační protokol", "Podpis",  "Kontroloval",
                                                    "Stav před",           "Stav po", "Nulový bod"}
                         : std::vector<const char*>{"Calibration certificate",
                                                    "Signature",
                                                    "Reviewed by",
                                                    "As found",
                                                    "As left",
                                                    "Zero point"};
        for (const char* word : words) {
            EXPECT_NE(text.find(word), std::string::npos) << lang << ": " << word;
        }
    }
}

}  // namespace
