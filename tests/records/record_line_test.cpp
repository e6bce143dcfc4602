#include "records/record_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "calibration/buffer_list.h"
#include "calibration/probe_kind.h"
#include "records/recorded_point.h"
#include "records/sha256.h"

namespace {

CalibrationRecord ACalibration() {
    CalibrationRecord record;
    record.Time = "2026-06-30T08:15:02Z";
    record.Program = "qx7config";
    record.Version = "1.0.0";
    record.Operator = "novak";
    record.Device = {"QX7", 0x0103, 70412};
    record.AsFound = {ProbeKindPh, 14.5f, -52.3f, 0x20260610u};
    record.AsLeft = {ProbeKindPh, -3.25f, -57.8f, 0x20260630u};
    record.AddPoint({"pH 6.86", 25.0f, 6.865f, 8.3f, 36, 0.12f, {}});
    record.AddPoint({nullptr, 24.5f, 4.0f, 174.0f, 36, 0.25f, {}});
    record.Judgement = RateProbe(ProbeKindPh, -3.25f, -57.8f, RatingLimits{});
    return record;
}

TEST(RecordLine, ACalibrationIsOneJsonObjectLedByItsPlaceInTheChain) {
    const std::string line = RecordLine(ACalibration(), 3, FirstLinePrevious).Data();
    EXPECT_EQ(line,
              "{\"seq\":3,\"prev_sha256\":\"" + std::string(FirstLinePrevious) +
                  "\",\"time\":\"2026-06-30T08:15:02Z\","
                  "\"tool\":{\"program\":\"qx7config\",\"version\":\"1.0.0\"},"
                  "\"operator\":\"novak\","
                  "\"device\":{\"identity\":\"QX7\",\"firmware\":\"1.03\",\"serial_number\":70412},"
                  "\"event\":\"calibration\","
                  "\"as_found\":{\"probe_kind\":\"pH\",\"offset_mv\":14.5,\"slope_mv\":-52.3,"
                  "\"calibration_date\":\"2026-06-10\"},"
                  "\"as_left\":{\"probe_kind\":\"pH\",\"offset_mv\":-3.25,\"slope_mv\":-57.8,"
                  "\"calibration_date\":\"2026-06-30\"},"
                  "\"points\":[{\"buffer\":\"pH 6.86\",\"temperature_c\":25,\"standard\":6.865,"
                  "\"voltage_mv\":8.3,\"samples\":36,\"spread_mv\":0.12},"
                  "{\"buffer\":null,\"temperature_c\":24.5,\"standard\":4,\"voltage_mv\":174,"
                  "\"samples\":36,\"spread_mv\":0.25}],"
                  "\"judgement\":{\"slope_percent\":97.7,\"slope_rating\":\"good\","
                  "\"zero_point_ph\":6.94,\"zero_point_rating\":\"good\",\"overall\":\"good\","
                  "\"limits\":{\"slope_good_min\":95,\"slope_good_max\":103,"
                  "\"slope_check_min\":85,\"slope_check_max\":110,\"offset_good\":30,"
                  "\"offset_check\":60}},"
                  "\"outcome\":{\"result\":\"written\",\"reason\":null,\"failed_writes\":[]}}");
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(RecordLine, WhatWasNotKnownIsNullAndARefusalSaysWhy) {
    CalibrationRecord record;
    record.Device.Identity = "QX7";
    record.AsFound.Date = 0;
    record.Outcome = RecordOutcome::Refused;
    record.Reason = "the voltages are not more than 25 mV apart";
    record.AddFailedWrite("slope");
    const std::string line = RecordLine(record, 1, FirstLinePrevious).Data();
    EXPECT_NE(line.find("\"firmware\":null,\"serial_number\":null"), std::string::npos) << line;
    EXPECT_NE(line.find("\"as_found\":{\"probe_kind\":null,\"offset_mv\":null,\"slope_mv\":null,"
                        "\"calibration_date\":null}"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"judgement\":null"), std::string::npos) << line;
    EXPECT_NE(line.find("\"outcome\":{\"result\":\"refused\",\"reason\":\"the voltages are not "
                        "more than 25 mV apart\",\"failed_writes\":[\"slope\"]}"),
              std::string::npos)
        << line;
}

TEST(RecordLine, APointsTraceFollowsItsFiguresRoundedToWhatTheTransmitterResolves) {
    CalibrationRecord record;
    RecordedPoint point;
    point.Trace.Add({0.0f, 4.0123456f, 25.0f});
    point.Trace.Add({1.04f, -0.0001f, 24.996f});
    point.Trace.Add({2.26f, NAN, 24.5f});
    record.AddPoint(point);
    record.AddPoint({"pH 4.01", 25.0f, 4.0096f, 174.0f, 36, 0.25f, {}});
    const std::string line = RecordLine(record, 1, FirstLinePrevious).Data();
    EXPECT_NE(line.find("\"spread_mv\":0,\"trace\":[[0,4.012,25],[1,0,25],[2.3,null,24.5]]},"
                        "{\"buffer\":\"pH 4.01\""),
              std::string::npos)
        << line;
    // A point without samples has no trace at all.
    EXPECT_EQ(line.find("\"trace\"", line.find("pH 4.01")), std::string::npos) << line;
}

TEST(RecordLine, TheChainPrefixReadsBackAndAnythingElseIsRefused) {
    const std::string hash(64, 'a');
    std::uint64_t sequence = 0;
    char previous[HashTextSize] = {};
    const Text line = RecordLine(ACalibration(), 12345, hash.c_str());
    ASSERT_TRUE(ReadChainPrefix(line.Data(), line.Size(), sequence, previous));
    EXPECT_EQ(sequence, 12345u);
    EXPECT_EQ(std::string(previous), hash);

    for (const std::string& line : {
             std::string("{\"seq\":,\"prev_sha256\":\"") + hash + "\"}",
             std::string("{\"seq\":1,\"prev_sha256\":\"") + hash.substr(1) + "\"}",
             std::string("{\"seq\":1,\"prev_sha256\":\"") + std::string(64, 'A') + "\"}",
             std::string(" {\"seq\":1,\"prev_sha256\":\"") + hash + "\"}",
             std::string("{\"prev_sha256\":\"") + hash + "\",\"seq\":1}",
             std::string(),
         }) {
        EXPECT_FALSE(ReadChainPrefix(line.data(), line.size(), sequence, previous)) << line;
    }
}

TEST(RecordedPoint, NamesTheBufferOnlyForAPresetPoint) {
    const std::unique_ptr<BufferList> buffers(CreateBufferList());
    CalibrationPoint point;
    point.Standard = 9.2f;
    point.UsePreset = true;
    point.PresetIndex = 3;
    point.Samples = 36;
    point.VoltageSpread = 0.5f;
    RecordedPoint recorded = RecordedPointOf(point, *buffers);
    EXPECT_STREQ(recorded.Buffer, "pH 9.18");
    EXPECT_EQ(recorded.Standard, 9.2f);
    EXPECT_EQ(recorded.Samples, 36);
    EXPECT_EQ(recorded.VoltageSpread, 0.5f);
    point.PresetIndex = 5;
    EXPECT_EQ(RecordedPointOf(point, *buffers).Buffer, nullptr);
    point.PresetIndex = 3;
    point.UsePreset = false;
    EXPECT_EQ(RecordedPointOf(point, *buffers).Buffer, nullptr);
}

TEST(Sha256, ThePlatformsDigestMatchesTheStandardsExamples) {
    const auto digest = [](const std::string& data) {
        char hex[Sha256TextSize] = {};
        EXPECT_TRUE(Sha256Hex(data.data(), data.size(), hex));
        return std::string(hex);
    };
    EXPECT_EQ(digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
