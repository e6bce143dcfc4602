#include "tests/cli/mqtt_recorder.h"

#include <mosquitto.h>

namespace {

constexpr auto Bound = std::chrono::seconds(20);

}  // namespace

MqttRecorder::MqttRecorder(int port, const std::string& user, const std::string& password,
                           const std::string& filter)
    : Filter(filter) {
    mosquitto_lib_init();
    Client = mosquitto_new(nullptr, true, this);
    mosquitto_username_pw_set(Client, user.c_str(), password.c_str());
    mosquitto_connect_callback_set(Client, &MqttRecorder::OnConnect);
    mosquitto_subscribe_callback_set(Client, &MqttRecorder::OnSubscribe);
    mosquitto_message_callback_set(Client, &MqttRecorder::OnMessage);
    mosquitto_reconnect_delay_set(Client, 1, 1, false);
    if (mosquitto_connect(Client, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(Client) != MOSQ_ERR_SUCCESS) {
        return;
    }
    std::unique_lock<std::mutex> lock(Mutex);
    Changed.wait_for(lock, Bound, [this] { return Subscriptions > 0; });
}

MqttRecorder::~MqttRecorder() {
    mosquitto_disconnect(Client);
    mosquitto_loop_stop(Client, true);
    mosquitto_destroy(Client);
    mosquitto_lib_cleanup();
}

int MqttRecorder::SubscriptionCount() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Subscriptions;
}

bool MqttRecorder::WaitForSubscriptionsBeyond(int count) {
    std::unique_lock<std::mutex> lock(Mutex);
    return Changed.wait_for(lock, Bound, [&] { return Subscriptions > count; });
}

bool MqttRecorder::WaitFor(const std::function<bool(const std::vector<RecordedMessage>&)>& done) {
    std::unique_lock<std::mutex> lock(Mutex);
    return Changed.wait_for(lock, Bound, [&] { return done(Received); });
}

std::vector<RecordedMessage> MqttRecorder::Messages() {
    std::lock_guard<std::mutex> lock(Mutex);
    return Received;
}

void MqttRecorder::OnConnect(mosquitto* client, void* self, int code) {
    if (code == 0) {
        mosquitto_subscribe(client, nullptr, static_cast<MqttRecorder*>(self)->Filter.c_str(), 1);
    }
}

void MqttRecorder::OnSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* recorder = static_cast<MqttRecorder*>(self);
    {
        std::lock_guard<std::mutex> lock(recorder->Mutex);
        ++recorder->Subscriptions;
    }
    recorder->Changed.notify_all();
}

void MqttRecorder::OnMessage(mosquitto*, void* self, const struct mosquitto_message* message) {
    auto* recorder = static_cast<MqttRecorder*>(self);
    {
        std::lock_guard<std::mutex> lock(recorder->Mutex);
        recorder->Received.push_back({message->topic,
                                      std::string(static_cast<const char*>(message->payload),
                                                  static_cast<std::size_t>(message->payloadlen)),
                                      message->retain});
    }
    recorder->Changed.notify_all();
}
