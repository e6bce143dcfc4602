// Holds an MQTT sink in a process of its own, so a test can kill it or read what it reports
// on stderr. Reads lines from stdin: "info SERIAL" and "poll SERIAL N" (a poll whose
// measured value is N); at the end of input the sink ends as watch ends it.
// Arguments: URL QUEUE-LIMIT.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/command_failure.h"
#include "cli/live_watch.h"
#include "cli/mqtt_sink.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mqtt_sink_driver URL QUEUE-LIMIT\n";
        return 2;
    }
    const char* password = std::getenv("QX7_MQTT_PASSWORD");
    try {
        auto sink = MakeMqttSink({argv[1], password != nullptr ? password : "",
                                  static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10))});
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream words(line);
            std::string what;
            std::int32_t serial = 0;
            words >> what >> serial;
            if (what == "info") {
                TransmitterInfo info;
                info.Time = UtcTimestamp();
                info.Settings.SerialNumber = serial;
                sink->Info(info);
            } else if (what == "poll") {
                LivePoll poll;
                float value = 0.0f;
                words >> value;
                poll.SerialNumber = serial;
                poll.Time = UtcTimestamp();
                for (int i = 0; i < LiveValues::Count; ++i) {
                    poll.Values.Present[i] = true;
                }
                poll.Values.Values[3] = value;
                sink->Poll(poll);
            }
        }
    } catch (const CommandFailure& failure) {
        std::cerr << failure.what() << '\n';
        return failure.Code;
    }
    return 0;
}
