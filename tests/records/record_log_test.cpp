#include "records/record_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "records/chain_check.h"
#include "records/record_line.h"
#include "records/records_folder.h"
#include "records/sha256.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

ChainReport Check(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return CheckChain(text.data(), text.size());
}

std::string HashOf(const std::string& line) {
    char hex[Sha256TextSize] = {};
    EXPECT_TRUE(Sha256Hex(line.data(), line.size(), hex));
    return hex;
}

class RecordLogTest : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        Root = fs::temp_directory_path() / ("qx7-records-test-" + std::to_string(random()));
        Folder = (Root / "team" / "records").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Root, ignored);
    }

    CalibrationRecord Record(float offset) const {
        CalibrationRecord record;
        record.Time = "2026-06-30T08:15:02Z";
        record.Device = {"QX7", 0x0103, 70412};
        record.AsLeft.Offset = offset;
        return record;
    }

    // Appends n records with offsets 1, 2, ... and returns the log's lines.
    std::vector<std::string> WriteLog(int n) const {
        const RecordLog log(Folder.c_str());
        for (int i = 1; i <= n; ++i) {
            EXPECT_TRUE(log.Append(Record(static_cast<float>(i))));
        }
        Text text;
        EXPECT_TRUE(log.Read(70412, text));
        return SplitLines(text.Data());
    }

    std::string FileText() const {
        std::ifstream file(RecordLog(Folder.c_str()).PathOf(70412).Data(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path Root;
    std::string Folder;
};

TEST_F(RecordLogTest, RecordsAreAppendedToTheSerialNumbersFileEachChainedToTheOneBefore) {
    const std::vector<std::string> lines = WriteLog(3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(fs::exists(fs::path(Folder) / "70412.jsonl")) << "the folder was made";
    EXPECT_EQ(FileText().back(), '\n');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::uint64_t sequence = 0;
        char previous[HashTextSize] = {};
        ASSERT_TRUE(ReadChainPrefix(lines[i].data(), lines[i].size(), sequence, previous))
            << lines[i];
        EXPECT_EQ(sequence, i + 1);
        const std::string expected = i > 0 ? HashOf(lines[i - 1]) : FirstLinePrevious;
        EXPECT_EQ(std::string(previous), expected) << "line " << i + 1;
    }
    EXPECT_NE(lines[1].find("\"offset_mv\":2"), std::string::npos);
    EXPECT_EQ(Check(lines).Fault, ChainFault::None);
}

TEST_F(RecordLogTest, WritersAppendingAtOnceTakeTurnsAndKeepOneChain) {
    const RecordLog log(Folder.c_str());
    ASSERT_TRUE(log.Append(Record(0.0f)));
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 4; ++writer) {
        writers.emplace_back([&log, this] {
            for (int i = 0; i < 25; ++i) {
                EXPECT_TRUE(log.Append(Record(static_cast<float>(i))));
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    const std::vector<std::string> lines = WriteLog(0);
    EXPECT_EQ(lines.size(), 101u);
    const ChainReport report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::None) << "line " << report.Line;
}

TEST_F(RecordLogTest, ALogWhoseLastLineWasCutShortGoesOnOnANewLine) {
    WriteLog(1);
    {
        std::ofstream file(RecordLog(Folder.c_str()).PathOf(70412).Data(),
                           std::ios::binary | std::ios::app);
        file << "{\"seq\":2,\"prev";
    }
    const std::vector<std::string> lines = WriteLog(1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "{\"seq\":2,\"prev");
    std::uint64_t sequence = 0;
    char previous[HashTextSize] = {};
    ASSERT_TRUE(ReadChainPrefix(lines[2].data(), lines[2].size(), sequence, previous));
    EXPECT_EQ(sequence, 3u) << "counted past the unreadable line";
    EXPECT_EQ(std::string(previous), HashOf(lines[1]));
    const ChainReport report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Changed);
    EXPECT_EQ(report.Line, 2u);
}

TEST_F(RecordLogTest, NothingIsWrittenWithoutASerialNumberOrAWritableFolder) {
    CalibrationRecord anonymous = Record(1.0f);
    anonymous.Device.SerialNumber.reset();
    EXPECT_FALSE(RecordLog(Folder.c_str()).Append(anonymous));
    EXPECT_FALSE(RecordLog("").Append(Record(1.0f)));

    // A file where a folder should be.
    fs::create_directories(Root);
    std::ofstream(Root / "blocked") << "x";
    EXPECT_FALSE(RecordLog((Root / "blocked" / "records").string().c_str()).Append(Record(1.0f)));
    EXPECT_FALSE(RecordLog((Root / "blocked").string().c_str()).Append(Record(1.0f)));
}

TEST_F(RecordLogTest, AnIntactLogChecksAsIntactAndAnEmptyOneToo) {
    EXPECT_EQ(CheckChain("", 0).Fault, ChainFault::None);
    const ChainReport report = Check(WriteLog(4));
    EXPECT_EQ(report.Fault, ChainFault::None);
    EXPECT_EQ(report.Lines, 4u);
}

TEST_F(RecordLogTest, AChangedValueNamesItsLine) {
    std::vector<std::string> lines = WriteLog(4);
    const std::size_t at = lines[1].find("\"offset_mv\":2");
    ASSERT_NE(at, std::string::npos);
    lines[1].replace(at, 13, "\"offset_mv\":9");
    ChainReport report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Changed);
    EXPECT_EQ(report.Line, 2u);

    // The first line too, whose predecessor is fixed.
    lines = WriteLog(0);
    lines[0].replace(lines[0].find("\"offset_mv\":1"), 13, "\"offset_mv\":7");
    report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Changed);
    EXPECT_EQ(report.Line, 1u);
}

TEST_F(RecordLogTest, ARemovedLineNamesTheLineAfterTheGap) {
    std::vector<std::string> lines = WriteLog(4);
    lines.erase(lines.begin() + 1);
    ChainReport report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Removed);
    EXPECT_EQ(report.Line, 2u);

    lines = WriteLog(0);
    lines.erase(lines.begin());
    report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Removed);
    EXPECT_EQ(report.Line, 1u);
}

TEST_F(RecordLogTest, AnInsertedLineIsNamedWhetherOrNotItsChainFieldsWereForged) {
    const std::vector<std::string> lines = WriteLog(4);
    // A forger who copies the format and chains the new line to the one before it.
    std::vector<std::string> forged = lines;
    forged.insert(forged.begin() + 2, RecordLine(Record(5.0f), 3, HashOf(lines[1]).c_str()).Data());
    ChainReport report = Check(forged);
    EXPECT_EQ(report.Fault, ChainFault::Inserted);
    EXPECT_EQ(report.Line, 3u);

    // A copy of another line put in place.
    std::vector<std::string> copied = lines;
    copied.insert(copied.begin() + 2, lines[0]);
    report = Check(copied);
    EXPECT_EQ(report.Fault, ChainFault::Inserted);
    EXPECT_EQ(report.Line, 3u);

    // A new first line.
    std::vector<std::string> first = lines;
    first.insert(first.begin(), RecordLine(Record(5.0f), 1, FirstLinePrevious).Data());
    report = Check(first);
    EXPECT_EQ(report.Fault, ChainFault::Inserted);
    EXPECT_EQ(report.Line, 1u);
}

TEST_F(RecordLogTest, ATraceIsChainedWithItsRecordAndALogFromBeforeTracesStillChecks) {
    // A line as the tool wrote it before points kept their traces.
    const std::string old =
        "{\"seq\":1,\"prev_sha256\":\"" + std::string(FirstLinePrevious) +
        "\",\"time\":\"2026-06-30T08:15:02Z\",\"tool\":{\"program\":\"qx7config\","
        "\"version\":\"1.0.0\"},\"operator\":\"novak\",\"device\":{\"identity\":\"QX7\","
        "\"firmware\":\"1.03\",\"serial_number\":70412},\"event\":\"calibration\","
        "\"as_found\":{\"probe_kind\":\"pH\",\"offset_mv\":14.5,\"slope_mv\":-52.3,"
        "\"calibration_date\":\"2026-06-10\"},\"as_left\":{\"probe_kind\":\"pH\","
        "\"offset_mv\":-3.25,\"slope_mv\":-57.8,\"calibration_date\":\"2026-06-30\"},"
        "\"points\":[{\"buffer\":\"pH 6.86\",\"temperature_c\":25,\"standard\":6.865,"
        "\"voltage_mv\":8.3,\"samples\":36,\"spread_mv\":0.12}],\"judgement\":null,"
        "\"outcome\":{\"result\":\"written\",\"reason\":null,\"failed_writes\":[]}}";
    fs::create_directories(Folder);
    std::ofstream(RecordLog(Folder.c_str()).PathOf(70412).Data(), std::ios::binary) << old << '\n';

    CalibrationRecord traced = Record(2.0f);
    RecordedPoint point;
    point.Voltage = 173.9f;
    for (int second = 0; second < 300; ++second) {
        point.Trace.Add(
            {static_cast<float>(second), 173.9f - 0.5f * static_cast<float>(second % 3), 25.0f});
    }
    traced.AddPoint(point);
    const RecordLog log(Folder.c_str());
    ASSERT_TRUE(log.Append(traced));
    ASSERT_TRUE(log.Append(Record(3.0f)));
    std::vector<std::string> lines = SplitLines(FileText());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], old);
    EXPECT_EQ(Check(lines).Fault, ChainFault::None);
    // 300 samples stay a few kilobytes.
    EXPECT_LT(lines[1].size(), 300u * 20u);

    // One sample's voltage changed by a tenth of a millivolt.
    const std::size_t at = lines[1].find("[150,173.9,25]");
    ASSERT_NE(at, std::string::npos) << lines[1];
    lines[1].replace(at, 14, "[150,173.8,25]");
    const ChainReport report = Check(lines);
    EXPECT_EQ(report.Fault, ChainFault::Changed);
    EXPECT_EQ(report.Line, 2u);
}

}  // namespace
