// A subscriber in the test: everything under a topic filter, kept in arrival order. It
// reconnects and subscribes again on its own when the broker comes back.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;

struct RecordedMessage {
    std::string Topic;
    std::string Payload;
    bool Retained = false;
};

class MqttRecorder {
  public:
    // Returns once subscribed (IsSubscribed false when that did not happen within 20 s).
    MqttRecorder(int port, const std::string& user, const std::string& password,
                 const std::string& filter);
    ~MqttRecorder();

    MqttRecorder(const MqttRecorder&) = delete;
    MqttRecorder& operator=(const MqttRecorder&) = delete;

    bool IsSubscribed() const { return Subscriptions > 0; }
    // How often the subscription was granted: one more after each reconnect.
    int SubscriptionCount();
    // Waits up to 20 s for the subscription to be granted more than `count` times in all.
    bool WaitForSubscriptionsBeyond(int count);

    // Waits up to 20 s for done(messages so far); false on time-out.
    bool WaitFor(const std::function<bool(const std::vector<RecordedMessage>&)>& done);
    std::vector<RecordedMessage> Messages();

  private:
    static void OnConnect(mosquitto* client, void* self, int code);
    static void OnSubscribe(mosquitto* client, void* self, int id, int count, const int* qos);
    static void OnMessage(mosquitto* client, void* self, const struct mosquitto_message* message);

    std::string Filter;
    mosquitto* Client = nullptr;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<RecordedMessage> Received;
    int Subscriptions = 0;
};
