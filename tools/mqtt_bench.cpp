// Figures for scripts/bench-mqtt.sh: how many messages a second the MQTT sink gets to a
// broker, and what a poll pays to hand one over. Reports; asserts nothing.
//   qx7-mqtt-bench PORT TRANSMITTERS POLLS-EACH
#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/live_watch.h"
#include "cli/mqtt_sink.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Count {
    std::mutex Mutex;
    std::condition_variable Changed;
    long Received = 0;
    bool Subscribed = false;
};

void OnSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* count = static_cast<Count*>(self);
    std::lock_guard<std::mutex> lock(count->Mutex);
    count->Subscribed = true;
    count->Changed.notify_all();
}

void OnMessage(mosquitto*, void* self, const mosquitto_message*) {
    auto* count = static_cast<Count*>(self);
    std::lock_guard<std::mutex> lock(count->Mutex);
    ++count->Received;
    count->Changed.notify_all();
}

void OnConnect(mosquitto* client, void*, int code) {
    if (code == 0) {
        mosquitto_subscribe(client, nullptr, "bench/+/live", 1);
    }
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qx7-mqtt-bench PORT TRANSMITTERS POLLS-EACH\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int transmitters = std::atoi(argv[2]);
    const long polls = std::atol(argv[3]);

    Count count;
    mosquitto_lib_init();
    mosquitto* subscriber = mosquitto_new(nullptr, true, &count);
    mosquitto_connect_callback_set(subscriber, OnConnect);
    mosquitto_subscribe_callback_set(subscriber, OnSubscribe);
    mosquitto_message_callback_set(subscriber, OnMessage);
    if (mosquitto_connect(subscriber, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(subscriber) != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "qx7-mqtt-bench: no broker on port %d\n", port);
        mosquitto_destroy(subscriber);
        mosquitto_lib_cleanup();
        return 1;
    }
    {
        std::unique_lock<std::mutex> lock(count.Mutex);
        count.Changed.wait(lock, [&] { return count.Subscribed; });
    }

    const long total = transmitters * polls;
    std::vector<double> slowestHandOver(transmitters, 0.0);
    Clock::time_point start;
    Clock::time_point queued;
    Clock::time_point arrived;
    {
        // Room for every poll: the figure is the broker path, not the queue's bound.
        auto sink = MakeMqttSink(
            {"mqtt://127.0.0.1:" + std::to_string(port) + "/bench", "", std::size_t(polls) + 1});
        LivePoll poll;
        for (int i = 0; i < LiveValues::Count; ++i) {
            poll.Values.Values[i] = 7.0f + static_cast<float>(i);
            poll.Values.Present[i] = true;
        }
        poll.Time = UtcTimestamp();
        start = Clock::now();
        std::vector<std::thread> threads;
        for (int t = 0; t < transmitters; ++t) {
            threads.emplace_back([&, t] {
                LivePoll own = poll;
                own.SerialNumber = 50000 + t;
                for (long n = 0; n < polls; ++n) {
                    const auto before = Clock::now();
                    sink->Poll(own);
                    slowestHandOver[t] =
                        std::max(slowestHandOver[t], Seconds(Clock::now() - before));
                }
            });
        }
        for (std::thread& t : threads) {
            t.join();
        }
        queued = Clock::now();
        std::unique_lock<std::mutex> lock(count.Mutex);
        count.Changed.wait_for(lock, std::chrono::seconds(120),
                               [&] { return count.Received >= total; });
        arrived = Clock::now();
    }
    const Clock::time_point closed = Clock::now();
    mosquitto_disconnect(subscriber);
    mosquitto_loop_stop(subscriber, true);
    mosquitto_destroy(subscriber);
    mosquitto_lib_cleanup();

    std::printf("transmitters %d, polls each %ld, messages %ld, received %ld\n", transmitters,
                polls, total, count.Received);
    std::printf("hand-over: %.0f polls/s into the queue, slowest single poll %.3f ms\n",
                total / Seconds(queued - start),
                1000.0 * *std::max_element(slowestHandOver.begin(), slowestHandOver.end()));
    std::printf("published and received: %.0f messages/s (%.2f s for all)\n",
                count.Received / Seconds(arrived - start), Seconds(arrived - start));
    std::printf("clean end (offline, disconnect): %.3f s\n", Seconds(closed - arrived));
    return count.Received >= total ? 0 : 1;
}
