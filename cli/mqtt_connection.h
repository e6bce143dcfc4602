// One MQTT client session per transmitter: its own last will on its status topic, and a
// bounded queue that outlives the broker going away. Its thread does all the network work,
// so Send only queues and never waits for the broker.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "cli/mqtt_url.h"

struct mosquitto;

enum class MqttKind {
    // A poll: when the queue is full, the oldest waiting one is dropped.
    Live,
    // Retained and superseded by the next: a newer one replaces one still waiting.
    Info,
};

class MqttConnection {
  public:
    // Starts the thread, which connects (and reconnects) on its own: a broker that is away
    // now is reached later. label names the connection in the notes on stderr.
    MqttConnection(const MqttUrl& url, const std::string& statusTopic, std::size_t queueLimit,
                   const std::string& label);
    // Close with no time to drain, if Close was not called.
    ~MqttConnection();

    MqttConnection(const MqttConnection&) = delete;
    MqttConnection& operator=(const MqttConnection&) = delete;

    // QoS 1. Returns how many messages this one cost (dropped or replaced unsent): 0 or more.
    std::uint64_t Send(const std::string& topic, const std::string& payload, MqttKind kind);

    // Queues "offline" on the status topic after everything else, then sends until the queue
    // is empty or `drain` has passed, and disconnects cleanly (so the will is not published).
    // Returns how many live and info messages never reached the broker.
    std::uint64_t Close(std::chrono::milliseconds drain);
    // Close in two halves, so that many connections drain at once.
    void BeginClose(std::chrono::steady_clock::time_point deadline);
    std::uint64_t FinishClose();

  private:
    struct Pending {
        std::string Topic;
        std::string Payload;
        MqttKind Kind = MqttKind::Live;
        bool Retained = false;
        // The final "offline": never dropped, not counted as lost.
        bool Status = false;
        bool Acknowledged = false;
        int MessageId = 0;
    };

    void Run();
    bool Connect();
    void Disconnected();
    void PublishWaiting();
    void Acknowledge(int messageId);
    bool Finished();
    void Note(const std::string& text) const;
    void WaitBefore(std::chrono::steady_clock::time_point retry);

    static void OnConnect(mosquitto* client, void* self, int code);
    static void OnPublish(mosquitto* client, void* self, int messageId);

    const MqttUrl Url;
    const std::string StatusTopic;
    const std::size_t QueueLimit;
    const std::string Label;
    const std::string ClientId;

    // Shared with the callers of Send and Close.
    std::mutex Mutex;
    std::condition_variable WakeUp;
    // In order; the first SentCount are on the wire (or acknowledged behind one that is not
    // yet), the rest wait.
    std::deque<Pending> Queue;
    std::size_t SentCount = 0;
    int InFlight = 0;
    bool Closing = false;
    std::chrono::steady_clock::time_point Deadline;

    // The thread's own.
    mosquitto* Client = nullptr;
    int ConnectResult = -1;
    bool EverConnected = false;
    bool FailureNoted = false;
    // Messages the client library refused outright; guarded by Mutex.
    std::uint64_t Rejected = 0;
    // Last, so that it starts when everything it uses is ready.
    std::thread Thread;
};
