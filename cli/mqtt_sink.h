// The MQTT sink of qx7ctl watch: each transmitter's polls, info and status under
// PREFIX/SERIAL/, through a connection that outlives the broker going away.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "cli/live_sink.h"

struct MqttOptions {
    // mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX
    std::string Url;
    // Used when the URL names a user without a password (QX7_MQTT_PASSWORD).
    std::string EnvironmentPassword;
    // Messages kept while the broker is away; beyond it the loss is counted and reported.
    std::size_t QueueLimit = 10000;
};

// False in a build without an MQTT client library (the Windows build).
bool MqttBuilt();

// CommandFailure with exit code 2 for a URL it cannot use, and in a build without MQTT.
// Never waits for the broker: a broker that is away at the start is reconnected to later.
std::unique_ptr<LiveSink> MakeMqttSink(const MqttOptions& options);
