#include "cli/influx_sink.h"

#include <cmath>
#include <cstdio>

#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/terminal.h"
#include "cli/utc_time.h"
#include "cli/value_text.h"

namespace {

// A tag value has no quotes: a comma, an equals sign, a space or a backslash takes a
// backslash. A control character (a line end would end the point) becomes the text \xNN.
std::string TagValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\" + Escaped(std::string(1, c));
            continue;
        }
        if (c == ',' || c == '=' || c == ' ' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

// A string field is quoted: its quotes and backslashes take a backslash.
std::string StringField(const std::string& text) {
    std::string escaped = "\"";
    for (char c : Escaped(text)) {
        if (c == '"' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped + '"';
}

std::string Tags(std::int32_t serialNumber, const std::string& port) {
    return ",serial=" + std::to_string(serialNumber) + ",port=" + TagValue(port);
}

// Nanoseconds since 1970; the poll's time is kept to the millisecond.
std::string Timestamp(const std::string& time) {
    const std::optional<std::int64_t> millis = UnixMillisecondsOf(time);
    return millis ? std::to_string(*millis) + "000000" : "";
}

// InfluxDB takes no NaN or infinity: such a value is left out as a missing one is.
void AddFloat(std::string& fields, const char* name, double value) {
    if (!std::isfinite(value)) {
        return;
    }
    fields += std::string(fields.empty() ? "" : ",") + name + '=' + DoubleText(value);
}

void AddOptional(std::string& fields, const char* name, const std::optional<double>& value) {
    if (value) {
        AddFloat(fields, name, *value);
    }
}

}  // namespace

InfluxSink::InfluxSink(const std::string& path) : Path(path) {
    if (path == "-") {
        KeepStandardOutputLineEnds();
        File = stdout;
        return;
    }
    CheckOutputPath(path);
    File = std::fopen(path.c_str(), "ab");
    if (File == nullptr) {
        throw CommandFailure(ExitCode::Usage, "cannot open " + Escaped(path));
    }
    Owned = true;
}

InfluxSink::~InfluxSink() {
    if (Owned) {
        std::fclose(File);
    }
}

std::string InfluxSink::PollLine(const LivePoll& poll) {
    std::string fields;
    for (int i = 0; i < LiveValues::Count; ++i) {
        if (poll.Values.Present[i]) {
            AddFloat(fields, LiveColumns[i].FieldName, ShortestDouble(poll.Values.Values[i]));
        }
    }
    fields += std::string(fields.empty() ? "" : ",") +
              "faults=" + std::to_string(poll.Values.FaultCount) + "i" +
              ",failed=" + (poll.Values.Failed ? "true" : "false");
    if (!poll.Values.Faults.empty()) {
        fields += ",fault=" + StringField(poll.Values.Faults);
    }
    return "qx7_live" + Tags(poll.SerialNumber, poll.Port) + ' ' + fields + ' ' +
           Timestamp(poll.Time) + '\n';
}

std::string InfluxSink::InfoLine(const TransmitterInfo& info) {
    const ProbeJudgement& j = info.Judgement;
    std::string fields = "rating=" + StringField(RatingName(j.Overall)) +
                         ",rating_level=" + std::to_string(static_cast<int>(j.Overall)) + "i";
    AddOptional(fields, "slope_percent", j.SlopePercent);
    AddOptional(fields, "offset_mv", j.Offset);
    AddOptional(fields, "zero_point_ph", j.ZeroPoint);
    if (j.DaysSinceCalibration) {
        fields += ",calibration_age_days=" + std::to_string(*j.DaysSinceCalibration) + "i";
    }
    AddFloat(fields, "sensitivity_mv", ShortestDouble(info.Settings.Sensitivity));
    fields += ",firmware=" + StringField(VersionText(info.Settings.Firmware));
    return "qx7_probe" + Tags(info.Settings.SerialNumber, info.Port) + ' ' + fields + ' ' +
           Timestamp(info.Time) + '\n';
}

void InfluxSink::Info(const TransmitterInfo& info) {
    Write(InfoLine(info));
}

void InfluxSink::Poll(const LivePoll& poll) {
    Write(PollLine(poll));
}

// Whole lines under one lock, flushed at once for a reader that tails the file.
void InfluxSink::Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(Guard);
    if (std::fputs(line.c_str(), File) < 0 || std::fflush(File) != 0) {
        throw CommandFailure(ExitCode::Usage,
                             "cannot write to " + (Owned ? Escaped(Path) : "standard output"));
    }
}
