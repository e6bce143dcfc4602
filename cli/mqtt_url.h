// Where the MQTT sink connects and what it publishes under, read from the --mqtt URL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct MqttUrl {
    std::string Host;
    std::uint16_t Port = 1883;
    // Empty when the broker takes anonymous clients.
    std::string User;
    std::optional<std::string> Password;
    // Without a slash at either end; inner slashes are topic levels (plant/line4).
    std::string Prefix;
};

// mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX, with user and password percent-encoded. A URL
// with a user and no password takes environmentPassword when that is not empty. Anything
// else is a CommandFailure with exit code 2 that says what is wrong.
MqttUrl ParseMqttUrl(const std::string& url, const std::string& environmentPassword);
