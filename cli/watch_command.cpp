// qx7ctl watch: the five live values of one or more transmitters, each polled on its own
// thread at its own rhythm, into the terminal, a CSV file, InfluxDB, Prometheus and MQTT.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/command_failure.h"
#include "cli/csv_sink.h"
#include "cli/influx_sink.h"
#include "cli/input_file.h"
#include "cli/live_watch.h"
#include "cli/mqtt_sink.h"
#include "cli/prometheus_sink.h"
#include "cli/read_retry.h"
#include "cli/stop_signal_hold.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/terminal.h"
#include "cli/terminal_sink.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

namespace {

struct WatchCommandOptions {
    std::vector<std::string> Ports;
    WatchOptions Watch;
    std::string CsvPath;
    std::string InfluxPath;
    std::string PrometheusPath;
    std::string MqttUrl;
    std::size_t MqttQueue = 10000;
};

// Seconds go into clock arithmetic: anything but a finite, positive number up to `most` is
// refused before it can overflow there.
CLI::Validator SecondsCheck(const char* what, double most) {
    return CLI::Validator(
        [what, most](const std::string& text) -> std::string {
            char* end = nullptr;
            const double seconds = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0 ||
                seconds > most) {
                return std::string(what) + " must be a number of seconds above 0 and at most " +
                       std::to_string(static_cast<long>(most));
            }
            return "";
        },
        "SECONDS");
}

CLI::Validator WholeNumberCheck(const char* what, std::size_t digits) {
    return CLI::Validator(
        [what, digits](const std::string& text) -> std::string {
            const bool number =
                !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            if (!number || text.find_first_not_of('0') == std::string::npos ||
                text.size() > digits) {
                return std::string(what) + " must be a whole number from 1 on";
            }
            return "";
        },
        "N");
}

std::vector<std::string> PortsToWatch(const std::vector<std::string>& given) {
    std::vector<std::string> ports = given;
    const char* fallback = std::getenv("QX7_PORT");
    if (ports.empty() && fallback != nullptr && fallback[0] != '\0') {
        ports.push_back(fallback);
    }
    if (ports.empty()) {
        throw CommandFailure(ExitCode::Usage, "PORT is required (or set QX7_PORT)");
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            // Two threads on one line would take each other's replies.
            if (ports[i] == ports[j]) {
                throw CommandFailure(ExitCode::Usage,
                                     Quoted(ports[i]) + " is given twice; each port once");
            }
        }
    }
    return ports;
}

struct Watched {
    std::string Port;
    TransmitterLink Link;
    std::int32_t SerialNumber = 0;
    WatchSummary Summary;
    std::exception_ptr Failure;
};

// Each port on a thread of its own, so a transmitter that does not answer costs its own
// time-outs only; the first failure in the order of the ports is the one reported.
// The stop signals are taken by this thread while the others run (see StopSignalHold).
template <typename Work>
void OnEachThread(std::vector<std::unique_ptr<Watched>>& watched, Work work) {
    std::vector<std::thread> threads;
    std::atomic<std::size_t> running(watched.size());
    {
        StopSignalHold hold;
        for (auto& one : watched) {
            threads.emplace_back([&work, &one, &running] {
                try {
                    work(*one);
                } catch (...) {
                    one->Failure = std::current_exception();
                }
                --running;
            });
        }
        hold.WaitUntil([&running] { return running == 0; });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (auto& one : watched) {
        if (one->Failure) {
            std::rethrow_exception(one->Failure);
        }
    }
}

void Connect(Watched& one, int retries) {
    ConnectTransmitter(one.Link, one.Port, retries);
    if (!ReadWithRetries(retries, [&] { return one.Link.ReadSerialNumber(one.SerialNumber); })) {
        throw CommandFailure(ExitCode::Communication,
                             Escaped(one.Port) + ": no valid reply when reading the serial number");
    }
}

int RunWatch(WatchCommandOptions& options) {
    const std::vector<std::string> ports = PortsToWatch(options.Ports);
    // Every file and the MQTT URL are checked before a port is opened.
    if (!options.CsvPath.empty()) {
        CsvSink::Check(options.CsvPath);
    }
    if (!options.InfluxPath.empty() && options.InfluxPath != "-") {
        CheckOutputPath(options.InfluxPath);
    }
    std::vector<std::unique_ptr<LiveSink>> sinks;
    if (!options.PrometheusPath.empty()) {
        sinks.push_back(std::make_unique<PrometheusSink>(options.PrometheusPath));
    }
    if (!options.MqttUrl.empty()) {
        MqttOptions mqtt;
        mqtt.Url = options.MqttUrl;
        const char* password = std::getenv("QX7_MQTT_PASSWORD");
        mqtt.EnvironmentPassword = password != nullptr ? password : "";
        mqtt.QueueLimit = options.MqttQueue;
        sinks.push_back(MakeMqttSink(mqtt));
    }

    StopSignals stop;
    std::vector<std::unique_ptr<Watched>> watched;
    for (const std::string& port : ports) {
        watched.push_back(std::make_unique<Watched>());
        watched.back()->Port = port;
    }
    const int retries = options.Watch.Retries;
    OnEachThread(watched, [retries](Watched& one) { Connect(one, retries); });

    // Standard output carries the InfluxDB lines when they go there.
    if (options.InfluxPath != "-") {
        sinks.push_back(std::make_unique<TerminalSink>(ports, StandardOutputTakesCursorMoves()));
    }
    CsvSink* csv = nullptr;
    if (!options.CsvPath.empty()) {
        auto sink = std::make_unique<CsvSink>(options.CsvPath);
        csv = sink.get();
        sinks.push_back(std::move(sink));
    }
    if (!options.InfluxPath.empty()) {
        sinks.push_back(std::make_unique<InfluxSink>(options.InfluxPath));
    }
    std::vector<LiveSink*> targets;
    for (const auto& sink : sinks) {
        targets.push_back(sink.get());
    }

    // A sink that fails ends every thread: watch does not go on with part of its output.
    std::atomic<bool> ended(false);
    OnEachThread(watched, [&](Watched& one) {
        try {
            one.Summary = WatchLiveValues(one.Link, one.SerialNumber, one.Port, options.Watch,
                                          targets, ended);
        } catch (...) {
            ended = true;
            throw;
        }
    });
    if (csv != nullptr) {
        csv->Close();
    }

    bool anyUnanswered = false;
    for (const auto& one : watched) {
        std::cerr << Escaped(one->Port) << " (" << one->SerialNumber << "): " << one->Summary.Polls
                  << " polls recorded, " << one->Summary.Failed
                  << " of them with a value that got no reply\n";
        anyUnanswered =
            anyUnanswered || (one->Summary.Polls > 0 && one->Summary.Failed == one->Summary.Polls);
    }
    if (StopRequested()) {
        return StopExitCode();
    }
    return anyUnanswered ? ExitCode::Communication : ExitCode::Success;
}

}  // namespace

CommandRun DefineWatchCommand(CLI::App& command) {
    auto options = std::make_shared<WatchCommandOptions>();
    command.add_option("PORT", options->Ports,
                       "serial ports: COM3, ttyUSB0 or device paths, each polled on its own "
                       "(default: $QX7_PORT)");
    command
        .add_option("--retries", options->Watch.Retries,
                    "tries more for a read that gets no valid reply (default 2)")
        ->check(CLI::Range(0, 100));
    command.add_option("--interval", options->Watch.IntervalSeconds, "seconds between polls")
        ->check(SecondsCheck("the interval", 86400.0));
    command
        .add_option("--count", options->Watch.Count,
                    "number of polls of each transmitter (default: until Ctrl-C)")
        ->check(WholeNumberCheck("the count", 18));
    command
        .add_option("--info-every", options->Watch.InfoEverySeconds,
                    "seconds between readings of the settings and judgements of the probe "
                    "(default 3600; always once at the start)")
        ->check(SecondsCheck("--info-every", 31536000.0));
    command.add_option("--csv", options->CsvPath,
                       "append one row per poll to this file, for all the ports");
    command.add_option("--influx", options->InfluxPath,
                       "append InfluxDB line protocol to this file, or - for standard output");
    command.add_option("--prom", options->PrometheusPath,
                       "keep this file in Prometheus' text format, replaced after each poll");
    const std::string noMqtt = MqttBuilt() ? "" : " (this build has no MQTT: refused)";
    command.add_option("--mqtt", options->MqttUrl,
                       "publish to mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX; the password "
                       "may come from $QX7_MQTT_PASSWORD" +
                           noMqtt);
    command
        .add_option("--queue", options->MqttQueue,
                    "MQTT messages kept while the broker is away (default 10000)" + noMqtt)
        ->check(WholeNumberCheck("the queue", 9));
    return [options] { return RunWatch(*options); };
}
