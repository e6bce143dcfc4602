#include "cli/mqtt_connection.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <random>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

// Unacknowledged messages on the wire at once: the client library's own default, so it
// never holds back a message of ours in a queue we cannot see or bound.
constexpr int Window = 20;
constexpr int KeepAliveSeconds = 30;
// How long one network wait lasts: the longest a new message waits before it is sent.
constexpr int LoopMilliseconds = 20;
constexpr auto ConnackWait = std::chrono::seconds(10);
constexpr auto FirstRetry = std::chrono::milliseconds(500);
constexpr auto LongestRetry = std::chrono::seconds(10);

constexpr char Online[] = "online";
constexpr char Offline[] = "offline";

std::string ErrorText(int code) {
    if (code == MOSQ_ERR_ERRNO) {
        return std::system_category().message(errno);
    }
    std::string text = mosquitto_strerror(code);
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// Two sessions with one client id would throw each other off the broker: two gateways, or
// a run started while the last one's session lingers, each get their own.
std::string UniqueClientId(const std::string& label) {
    std::random_device random;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    return "qx7ctl-" + label + "-" + suffix;
}

}  // namespace

MqttConnection::MqttConnection(const MqttUrl& url, const std::string& statusTopic,
                               std::size_t queueLimit, const std::string& label)
    : Url(url),
      StatusTopic(statusTopic),
      QueueLimit(queueLimit),
      Label(label),
      ClientId(UniqueClientId(label)),
      Thread([this] { Run(); }) {}

MqttConnection::~MqttConnection() {
    if (Thread.joinable()) {
        Close(std::chrono::milliseconds(0));
    }
}

std::uint64_t MqttConnection::Send(const std::string& topic, const std::string& payload,
                                   MqttKind kind) {
    std::lock_guard<std::mutex> lock(Mutex);
    std::uint64_t cost = 0;
    // Only what waits may go: a message on the wire is never taken back, so the count of
    // dropped messages stays exact.
    const auto waiting = [this] { return Queue.begin() + static_cast<std::ptrdiff_t>(SentCount); };
    if (kind == MqttKind::Info) {
        const auto before = Queue.size();
        Queue.erase(
            std::remove_if(waiting(), Queue.end(),
                           [](const Pending& p) { return !p.Status && p.Kind == MqttKind::Info; }),
            Queue.end());
        cost += before - Queue.size();
    }
    // The oldest poll goes first: the newest values lead without a gap into those that follow
    // the reconnect, and they are the ones a plant can still act on. The info is kept: it is
    // retained, rare, and all a late subscriber learns about the transmitter.
    while (Queue.size() >= QueueLimit) {
        const auto victim = std::find_if(waiting(), Queue.end(), [](const Pending& p) {
            return !p.Status && p.Kind == MqttKind::Live;
        });
        if (victim == Queue.end()) {
            return cost + 1;
        }
        Queue.erase(victim);
        ++cost;
    }
    Pending message;
    message.Topic = topic;
    message.Payload = payload;
    message.Kind = kind;
    message.Retained = kind == MqttKind::Info;
    Queue.push_back(std::move(message));
    return cost;
}

std::uint64_t MqttConnection::Close(std::chrono::milliseconds drain) {
    BeginClose(Clock::now() + drain);
    return FinishClose();
}

void MqttConnection::BeginClose(Clock::time_point deadline) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (!Closing) {
            Closing = true;
            Deadline = deadline;
            Pending status;
            status.Topic = StatusTopic;
            status.Payload = Offline;
            status.Retained = true;
            status.Status = true;
            Queue.push_back(std::move(status));
        }
    }
    WakeUp.notify_all();
}

std::uint64_t MqttConnection::FinishClose() {
    if (Thread.joinable()) {
        Thread.join();
    }
    std::lock_guard<std::mutex> lock(Mutex);
    std::uint64_t lost = Rejected;
    for (const Pending& p : Queue) {
        lost += !p.Status && !p.Acknowledged ? 1 : 0;
    }
    return lost;
}

void MqttConnection::Run() {
    std::chrono::milliseconds retry = FirstRetry;
    while (!Finished()) {
        if (Client == nullptr) {
            if (!Connect()) {
                WaitBefore(Clock::now() + retry);
                retry = std::min<std::chrono::milliseconds>(retry * 2, LongestRetry);
                continue;
            }
            retry = FirstRetry;
        }
        PublishWaiting();
        const int result = mosquitto_loop(Client, LoopMilliseconds, 1);
        if (result != MOSQ_ERR_SUCCESS) {
            Note("lost the broker (" + ErrorText(result) + "); keeping messages and reconnecting");
            FailureNoted = true;
            Disconnected();
        }
    }
    if (Client != nullptr) {
        // A clean DISCONNECT: the broker then keeps our "offline" rather than the will.
        mosquitto_disconnect(Client);
        mosquitto_destroy(Client);
        Client = nullptr;
    }
}

bool MqttConnection::Connect() {
    Client = mosquitto_new(ClientId.c_str(), true, this);
    if (Client == nullptr) {
        Note("cannot make an MQTT client (" + ErrorText(MOSQ_ERR_ERRNO) + ")");
        return false;
    }
    mosquitto_int_option(Client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(Client, MOSQ_OPT_SEND_MAXIMUM, Window);
    if (!Url.User.empty()) {
        mosquitto_username_pw_set(Client, Url.User.c_str(),
                                  Url.Password ? Url.Password->c_str() : nullptr);
    }
    mosquitto_will_set(Client, StatusTopic.c_str(), sizeof Offline - 1, Offline, 1, true);
    mosquitto_connect_callback_set(Client, &MqttConnection::OnConnect);
    mosquitto_publish_callback_set(Client, &MqttConnection::OnPublish);

    const std::string where = Url.Host + ":" + std::to_string(Url.Port);
    auto fail = [&](const std::string& why) {
        if (!FailureNoted) {
            Note("cannot reach the broker at " + where + " (" + why + "); retrying");
            FailureNoted = true;
        }
        mosquitto_destroy(Client);
        Client = nullptr;
        return false;
    };
    ConnectResult = -1;
    int result = mosquitto_connect(Client, Url.Host.c_str(), Url.Port, KeepAliveSeconds);
    if (result != MOSQ_ERR_SUCCESS) {
        return fail(ErrorText(result));
    }
    const auto giveUp = Clock::now() + ConnackWait;
    while (ConnectResult < 0) {
        result = mosquitto_loop(Client, 100, 1);
        if (result != MOSQ_ERR_SUCCESS) {
            return fail(ErrorText(result));
        }
        if (Clock::now() > giveUp) {
            return fail("no answer to CONNECT");
        }
    }
    if (ConnectResult != 0) {
        return fail(std::string("refused: ") + mosquitto_connack_string(ConnectResult));
    }
    // Before anything queued, so the status says online while the backlog arrives.
    result =
        mosquitto_publish(Client, nullptr, StatusTopic.c_str(), sizeof Online - 1, Online, 1, true);
    if (result != MOSQ_ERR_SUCCESS) {
        return fail(ErrorText(result));
    }
    if (FailureNoted) {
        Note("connected to the broker at " + where);
        FailureNoted = false;
    }
    return true;
}

void MqttConnection::Disconnected() {
    mosquitto_destroy(Client);
    Client = nullptr;
    std::lock_guard<std::mutex> lock(Mutex);
    const auto sent = Queue.begin() + static_cast<std::ptrdiff_t>(SentCount);
    Queue.erase(
        std::remove_if(Queue.begin(), sent, [](const Pending& p) { return p.Acknowledged; }), sent);
    // Whatever was on the wire unacknowledged goes again, in order, first: the broker may have
    // passed some on already, which a subscriber sees as a repeated sequence number.
    SentCount = 0;
    InFlight = 0;
}

void MqttConnection::PublishWaiting() {
    std::lock_guard<std::mutex> lock(Mutex);
    while (SentCount < Queue.size() && InFlight < Window) {
        Pending& p = Queue[SentCount];
        int id = 0;
        const int result =
            mosquitto_publish(Client, &id, p.Topic.c_str(), static_cast<int>(p.Payload.size()),
                              p.Payload.data(), 1, p.Retained);
        if (result == MOSQ_ERR_NO_CONN || result == MOSQ_ERR_CONN_LOST ||
            result == MOSQ_ERR_ERRNO) {
            // The next network wait sees the loss and reconnects.
            return;
        }
        if (result != MOSQ_ERR_SUCCESS) {
            // The library refuses this message on its own (a topic or payload it cannot
            // carry), so it would be refused forever: counted as lost, not retried.
            Note("cannot publish to " + p.Topic + " (" + ErrorText(result) + "); dropped");
            ++Rejected;
            Queue.erase(Queue.begin() + static_cast<std::ptrdiff_t>(SentCount));
            continue;
        }
        p.MessageId = id;
        ++SentCount;
        ++InFlight;
    }
}

void MqttConnection::Acknowledge(int messageId) {
    std::lock_guard<std::mutex> lock(Mutex);
    for (std::size_t i = 0; i < SentCount; ++i) {
        Pending& p = Queue[i];
        if (!p.Acknowledged && p.MessageId == messageId) {
            p.Acknowledged = true;
            --InFlight;
            break;
        }
    }
    while (SentCount > 0 && Queue.front().Acknowledged) {
        Queue.pop_front();
        --SentCount;
    }
}

bool MqttConnection::Finished() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Closing && (Queue.empty() || Clock::now() >= Deadline);
}

void MqttConnection::WaitBefore(Clock::time_point retry) {
    std::unique_lock<std::mutex> lock(Mutex);
    while (true) {
        const auto until = Closing ? std::min(retry, Deadline) : retry;
        if (Clock::now() >= until) {
            return;
        }
        WakeUp.wait_until(lock, until);
    }
}

void MqttConnection::Note(const std::string& text) const {
    std::cerr << ("mqtt: " + Label + ": " + text + "\n") << std::flush;
}

void MqttConnection::OnConnect(mosquitto*, void* self, int code) {
    static_cast<MqttConnection*>(self)->ConnectResult = code;
}

void MqttConnection::OnPublish(mosquitto*, void* self, int messageId) {
    static_cast<MqttConnection*>(self)->Acknowledge(messageId);
}
