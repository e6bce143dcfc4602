#include "cli/mqtt_url.h"

#include <cstdlib>

#include "cli/command_failure.h"
#include "cli/value_text.h"

namespace {

constexpr const char Scheme[] = "mqtt://";
constexpr const char Form[] = "mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX";

[[noreturn]] void Refuse(const std::string& url, const std::string& why) {
    throw CommandFailure(ExitCode::Usage,
                         "--mqtt " + Quoted(url) + ": " + why + " (expected " + Form + ")");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A NUL would cut the C string the client library takes, so it is refused like a bad escape.
std::string PercentDecoded(const std::string& url, const std::string& text, const char* what) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const bool whole = i + 2 < text.size();
        const int high = whole ? HexDigit(text[i + 1]) : -1;
        const int low = whole ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            Refuse(url, std::string("the ") + what + " has a % not followed by two hex digits");
        }
        const char c = static_cast<char>(high * 16 + low);
        if (c == '\0') {
            Refuse(url, std::string("the ") + what + " holds %00");
        }
        decoded += c;
        i += 2;
    }
    return decoded;
}

std::uint16_t PortNumber(const std::string& url, const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        Refuse(url, "the port is not a number from 1 to 65535");
    }
    const long port = std::strtol(text.c_str(), nullptr, 10);
    if (port < 1 || port > 65535) {
        Refuse(url, "the port is not a number from 1 to 65535");
    }
    return static_cast<std::uint16_t>(port);
}

}  // namespace

MqttUrl ParseMqttUrl(const std::string& url, const std::string& environmentPassword) {
    const std::string scheme = Scheme;
    if (url.compare(0, scheme.size(), scheme) != 0) {
        Refuse(url, url.compare(0, 8, "mqtts://") == 0 ? "this build speaks MQTT without TLS"
                                                       : "it does not begin with mqtt://");
    }
    const std::size_t slash = url.find('/', scheme.size());
    if (slash == std::string::npos) {
        Refuse(url, "there is no /PREFIX after the host");
    }
    std::string authority = url.substr(scheme.size(), slash - scheme.size());
    std::string prefix = url.substr(slash + 1);

    MqttUrl parsed;
    // The last @ ends the user part: a host never holds one, a password may have one left
    // unencoded.
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const std::size_t colon = userInfo.find(':');
        parsed.User = PercentDecoded(url, userInfo.substr(0, colon), "user");
        if (parsed.User.empty()) {
            Refuse(url, "the user name before @ is empty");
        }
        if (colon != std::string::npos) {
            parsed.Password = PercentDecoded(url, userInfo.substr(colon + 1), "password");
        } else if (!environmentPassword.empty()) {
            parsed.Password = environmentPassword;
        }
    }

    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) {
            Refuse(url, "the IPv6 address has no closing ]");
        }
        parsed.Host = authority.substr(1, close - 1);
        const std::string rest = authority.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') {
            Refuse(url, "only :PORT may follow the IPv6 address");
        }
        if (!rest.empty()) {
            parsed.Port = PortNumber(url, rest.substr(1));
        }
    } else {
        const std::size_t colon = authority.find(':');
        parsed.Host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            parsed.Port = PortNumber(url, authority.substr(colon + 1));
        }
    }
    if (parsed.Host.empty()) {
        Refuse(url, "the host is empty");
    }
    if (parsed.Host.find_first_of(" \t%") != std::string::npos) {
        Refuse(url, "the host holds a space or %");
    }

    // A trailing slash would give an empty topic level before the serial number.
    while (!prefix.empty() && prefix.back() == '/') {
        prefix.pop_back();
    }
    if (prefix.empty()) {
        Refuse(url, "the topic prefix after the host is empty");
    }
    if (prefix.find_first_of("+#") != std::string::npos) {
        Refuse(url, "the topic prefix holds a wildcard (+ or #), which no published topic may");
    }
    if (prefix.find('?') != std::string::npos) {
        Refuse(url, "an MQTT URL has no query (?)");
    }
    if (prefix.find('\0') != std::string::npos) {
        Refuse(url, "the topic prefix holds a NUL");
    }
    parsed.Prefix = prefix;
    return parsed;
}
