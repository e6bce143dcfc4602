#include "cli/live_watch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "calibration/local_date.h"
#include "cli/command_failure.h"
#include "cli/live_sink.h"
#include "cli/owned_sensor_list.h"
#include "cli/read_retry.h"
#include "cli/stop_signals.h"
#include "cli/utc_time.h"
#include "cli/value_text.h"

const LiveColumn LiveColumns[LiveValues::Count] = {
    {"resistance", "resistance_ohm", "ohm"},
    {"temperature", "temperature_c", "C"},
    {"voltage", "voltage_mv", "mV"},
    {"value", "measured_value", ""},
    {"ratio", "ratio", ""},
};

namespace {

using Clock = std::chrono::steady_clock;

void NoteFault(LiveValues& values, int column, const char* what) {
    values.Faults +=
        std::string(values.Faults.empty() ? "" : "; ") + LiveColumns[column].Name + ": " + what;
    ++values.FaultCount;
}

bool Ended(const std::atomic<bool>& ended) {
    return StopRequested() || ended.load();
}

Clock::duration Seconds(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Reads the settings and judges the probe with the default limits as of today. False, with
// the reason on standard error, when the transmitter did not answer every read.
bool HandOverInfo(Transmitter& link, const std::string& port, const SensorList& sensors,
                  int retries, const std::vector<LiveSink*>& sinks) {
    TransmitterInfo info;
    info.Port = port;
    info.Time = UtcTimestamp();
    try {
        info.Settings = ReadSettings(link, sensors, retries);
    } catch (const CommandFailure& failure) {
        if (!StopRequested()) {
            std::cerr << "qx7ctl: " << Escaped(port) << ": " << failure.what() << '\n';
        }
        return false;
    }
    info.Judgement = JudgeProbe(info.Settings, LocalDate().Today(), JudgementLimits());
    for (LiveSink* sink : sinks) {
        sink->Info(info);
    }
    return true;
}

}  // namespace

LiveValues PollLiveValues(Transmitter& link, int retries) {
    LiveValues values;
    bool (Transmitter::*const reads[LiveValues::Count])(float&) = {
        &Transmitter::ReadResistance, &Transmitter::ReadTemperature, &Transmitter::ReadVoltage,
        &Transmitter::ReadMeasuredValue, &Transmitter::ReadRatio};
    // Unlike the window's poll, a failed read does not end the poll: a log wants every value
    // that can be had.
    for (int i = 0; i < LiveValues::Count; ++i) {
        float value = 0.0f;
        if (!ReadWithRetries(retries, [&] { return (link.*reads[i])(value); })) {
            NoteFault(values, i, "no reply");
            values.Failed = true;
        } else if (IsFaultPattern(value)) {
            NoteFault(values, i, "fault");
        } else {
            values.Values[i] = value;
            values.Present[i] = true;
        }
    }
    return values;
}

std::string UtcTimestamp() {
    return UtcText(std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count());
}

WatchSummary WatchLiveValues(Transmitter& link, std::int32_t serialNumber, const std::string& port,
                             const WatchOptions& options, const std::vector<LiveSink*>& sinks,
                             const std::atomic<bool>& ended) {
    const OwnedSensorList sensors = MakeSensorList();
    const auto interval = Seconds(options.IntervalSeconds);
    const auto infoEvery = Seconds(options.InfoEverySeconds);
    auto next = Clock::now();
    auto nextInfo = next;
    // Due at the start and every InfoEverySeconds; a failed read stays due, and is tried
    // again only after a poll that got every reply, so a silent transmitter is not asked
    // for its settings at every poll as well.
    bool infoDue = true;
    bool answered = true;
    WatchSummary summary;
    while (!Ended(ended) && (options.Count == 0 || summary.Polls < options.Count)) {
        if (infoDue && answered && HandOverInfo(link, port, *sensors, options.Retries, sinks)) {
            infoDue = false;
            nextInfo = Clock::now() + infoEvery;
        }
        // Short naps, so a stop ends a long interval promptly.
        while (!Ended(ended) && Clock::now() < next) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(50)));
        }
        if (Ended(ended)) {
            break;
        }
        LivePoll poll;
        poll.SerialNumber = serialNumber;
        poll.Port = port;
        poll.Time = UtcTimestamp();
        poll.Values = PollLiveValues(link, options.Retries);
        if (Ended(ended)) {
            break;
        }
        for (LiveSink* sink : sinks) {
            sink->Poll(poll);
        }
        ++summary.Polls;
        summary.Failed += poll.Values.Failed ? 1 : 0;
        answered = !poll.Values.Failed;
        next += interval;
        const auto now = Clock::now();
        if (next < now) {
            next = now + interval;
        }
        infoDue = infoDue || now >= nextInfo;
    }
    return summary;
}
