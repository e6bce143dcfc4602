#include "cli/mqtt_sink.h"

#include <mosquitto.h>

#include <chrono>
#include <iostream>
#include <map>
#include <mutex>

#include "cli/command_failure.h"
#include "cli/mqtt_connection.h"
#include "cli/mqtt_payload.h"
#include "cli/mqtt_url.h"
#include "cli/value_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long the end of watch waits for the broker to take what is still queued.
constexpr auto DrainTime = std::chrono::seconds(5);
// While the broker is away, a note on the losses at most this often.
constexpr auto DropNoteInterval = std::chrono::seconds(10);

std::string Messages(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " message" : " messages");
}

class MqttSink : public LiveSink {
  public:
    MqttSink(const MqttUrl& url, std::size_t queueLimit) : Url(url), QueueLimit(queueLimit) {
        mosquitto_lib_init();
    }

    ~MqttSink() override {
        const auto deadline = Clock::now() + DrainTime;
        for (auto& entry : Transmitters) {
            entry.second.Connection->BeginClose(deadline);
        }
        std::uint64_t lost = 0;
        for (auto& entry : Transmitters) {
            lost += entry.second.Connection->FinishClose();
        }
        Transmitters.clear();
        mosquitto_lib_cleanup();
        if (Dropped + lost > 0) {
            std::cerr << "mqtt: " << Messages(Dropped + lost) << " dropped in all (" << Dropped
                      << " beyond the queue of " << QueueLimit << ", " << lost
                      << " not taken by the broker at the end)" << std::endl;
        }
    }

    void Info(const TransmitterInfo& info) override {
        const std::string payload = InfoPayload(info);
        std::lock_guard<std::mutex> lock(Mutex);
        Transmitter& t = TransmitterOf(info.Settings.SerialNumber);
        t.ProbeKind = info.Settings.ProbeKind;
        Count(t.Connection->Send(t.Topic + "info", payload, MqttKind::Info));
    }

    void Poll(const LivePoll& poll) override {
        std::lock_guard<std::mutex> lock(Mutex);
        Transmitter& t = TransmitterOf(poll.SerialNumber);
        // Numbered and queued under one lock, so the sequence numbers go out in order.
        Count(t.Connection->Send(t.Topic + "live", LivePayload(poll, ++t.Sequence, t.ProbeKind),
                                 MqttKind::Live));
    }

  private:
    struct Transmitter {
        std::string Topic;
        std::unique_ptr<MqttConnection> Connection;
        std::uint64_t Sequence = 0;
        int ProbeKind = -1;
    };

    Transmitter& TransmitterOf(std::int32_t serialNumber) {
        Transmitter& t = Transmitters[serialNumber];
        if (!t.Connection) {
            const std::string serial = std::to_string(serialNumber);
            t.Topic = Url.Prefix + "/" + serial + "/";
            t.Connection =
                std::make_unique<MqttConnection>(Url, t.Topic + "status", QueueLimit, serial);
        }
        return t;
    }

    void Count(std::uint64_t dropped) {
        if (dropped == 0) {
            return;
        }
        Dropped += dropped;
        const auto now = Clock::now();
        if (!DropNoted || now - LastDropNote >= DropNoteInterval) {
            std::cerr << "mqtt: the broker does not keep up or is away: " << Messages(Dropped)
                      << " dropped so far (queue of " << QueueLimit << ")" << std::endl;
            DropNoted = true;
            LastDropNote = now;
        }
    }

    const MqttUrl Url;
    const std::size_t QueueLimit;
    std::mutex Mutex;
    std::map<std::int32_t, Transmitter> Transmitters;
    std::uint64_t Dropped = 0;
    bool DropNoted = false;
    Clock::time_point LastDropNote;
};

}  // namespace

bool MqttBuilt() {
    return true;
}

std::unique_ptr<LiveSink> MakeMqttSink(const MqttOptions& options) {
    const MqttUrl url = ParseMqttUrl(options.Url, options.EnvironmentPassword);
    if (options.QueueLimit == 0) {
        throw CommandFailure(ExitCode::Usage, "--queue: at least 1 message must be kept");
    }
    // The client library's own check of a topic, on the longest one we publish, so that a
    // prefix it would refuse ends watch now rather than losing every message later.
    const std::string longest = url.Prefix + "/-2147483648/status";
    if (mosquitto_pub_topic_check2(longest.c_str(), longest.size()) != MOSQ_ERR_SUCCESS ||
        mosquitto_validate_utf8(longest.c_str(), static_cast<int>(longest.size())) !=
            MOSQ_ERR_SUCCESS) {
        throw CommandFailure(ExitCode::Usage,
                             "--mqtt: the topic prefix " + Quoted(url.Prefix) +
                                 " is not a valid MQTT topic (UTF-8, at most 65535 bytes)");
    }
    return std::make_unique<MqttSink>(url, options.QueueLimit);
}
