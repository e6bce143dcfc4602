#include "cli/settings_file.h"

#include <algorithm>
#include <set>
#include <vector>

#include "cli/command_failure.h"
#include "cli/input_file.h"
#include "cli/setting_keys.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

[[noreturn]] void Reject(const std::string& file, const std::string& where,
                         const std::string& problem) {
    throw CommandFailure(ExitCode::Usage, file + ": " + where + ": " + problem);
}

// Line and column (from 1) of the byte at offset, for a parse error's position.
std::string Position(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The parser's own message without its library prefix ("[json.exception...] ") and, for a
// parse error, without the position, which the caller gives from the text; escaped, since it
// quotes what it last read.
std::string Reason(const json::exception& error, bool hasPosition) {
    std::string text = error.what();
    const std::size_t prefix = text.find("] ");
    if (prefix != std::string::npos) {
        text = text.substr(prefix + 2);
    }
    const std::size_t position = hasPosition ? text.find(": ") : std::string::npos;
    if (position != std::string::npos) {
        text = text.substr(position + 2);
    }
    return Escaped(text);
}

json Parse(const std::string& name, const std::string& text) {
    // The keys met so far in each open object, innermost last.
    std::vector<std::set<std::string>> open;
    std::vector<std::string> path;
    std::string duplicate;
    const json::parser_callback_t noteKeys = [&](int, json::parse_event_t event, json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
                open.emplace_back();
                break;
            case json::parse_event_t::object_end:
                if (!open.empty()) {
                    open.pop_back();
                }
                break;
            case json::parse_event_t::key:
                if (!open.empty() && !open.back().insert(parsed.get<std::string>()).second &&
                    duplicate.empty()) {
                    duplicate = parsed.get<std::string>();
                }
                break;
            default:
                break;
        }
        return true;
    };
    json document;
    try {
        document = json::parse(text, noteKeys);
    } catch (const json::parse_error& error) {
        throw CommandFailure(ExitCode::Usage,
                             name + ": not JSON, or cut short (" +
                                 Position(text, error.byte == 0 ? 0 : error.byte - 1) +
                                 "): " + Reason(error, true));
    } catch (const json::exception& error) {
        throw CommandFailure(ExitCode::Usage,
                             name + ": not a settings file: " + Reason(error, false));
    }
    if (!duplicate.empty()) {
        throw CommandFailure(ExitCode::Usage,
                             name + ": the key " + Quoted(duplicate) +
                                 " appears twice in one object; which one is meant is unclear");
    }
    return document;
}

void CheckType(const std::string& name, const json& document, const char* key, bool fits,
               const char* expected) {
    if (!fits) {
        Reject(name, key,
               std::string("expected ") + expected + ", found " +
                   (document.at(key).is_null() ? "null" : document.at(key).type_name()));
    }
}

void CheckPolynomial(const std::string& name, const json& polynomial) {
    if (!polynomial.is_object() || !polynomial.contains("degree") ||
        !polynomial.contains("coefficients")) {
        Reject(name, "sensor_polynomial", "expected an object with degree and coefficients");
    }
    CheckType(name, polynomial, "degree", polynomial.at("degree").is_number_integer(),
              "an integer");
    const json& coefficients = polynomial.at("coefficients");
    bool numbers = coefficients.is_array() && coefficients.size() == InverseCoefficientCount;
    for (std::size_t i = 0; numbers && i < coefficients.size(); ++i) {
        numbers = coefficients.at(i).is_number();
    }
    if (!numbers) {
        Reject(name, "sensor_polynomial.coefficients", "expected an array of five numbers");
    }
}

}  // namespace

json TransmitterJson(const TransmitterSettings& settings) {
    json polynomial = {{"degree", settings.Polynomial.Degree}, {"coefficients", json::array()}};
    for (float c : settings.Polynomial.Coefficients) {
        polynomial["coefficients"].push_back(ShortestDouble(c));
    }
    return {{"identity", settings.Identity},          {"firmware", VersionText(settings.Firmware)},
            {"serial_number", settings.SerialNumber}, {"output_type", settings.OutputType},
            {"settings", SettingsJson(settings)},     {"sensor_polynomial", polynomial}};
}

json SettingsDocument(const TransmitterSettings& settings, const std::string& readAt) {
    json document = TransmitterJson(settings);
    document["format"] = SettingsFormat;
    document["read_at"] = readAt;
    return document;
}

SettingsFile ParseSettingsFile(const std::string& name, const std::string& text,
                               const SensorList& sensors) {
    SettingsFile file;
    file.Document = Parse(name, text);
    const json& document = file.Document;
    if (!document.is_object()) {
        Reject(name, "the whole file", "expected a JSON object");
    }
    // The version decides how to read everything else, so it is checked first.
    if (!document.contains("format")) {
        Reject(name, "format", "missing key");
    }
    const json& format = document.at("format");
    CheckType(name, document, "format", format.is_number_integer(), "an integer");
    // Compared as a double, so that an integer beyond 64 bits is newer, not wrapped.
    if (format.get<double>() > SettingsFormat) {
        Reject(name, "format",
               "version " + format.dump() + " is newer than this program reads (" +
                   std::to_string(SettingsFormat) + ")");
    }
    if (format.get<double>() < 1) {
        Reject(name, "format", "version " + format.dump() + " does not exist");
    }
    static const char* const keys[] = {
        "format",        "read_at",     "identity",          "firmware",
        "serial_number", "output_type", "sensor_polynomial", "settings"};
    for (const auto& item : document.items()) {
        if (std::find(std::begin(keys), std::end(keys), item.key()) == std::end(keys)) {
            Reject(name, Escaped(item.key()), "unknown key");
        }
    }
    for (const char* key : keys) {
        if (!document.contains(key)) {
            Reject(name, key, "missing key");
        }
    }
    CheckType(name, document, "read_at", document.at("read_at").is_string(), "a string");
    CheckType(name, document, "identity", document.at("identity").is_string(), "a string");
    CheckType(name, document, "firmware", document.at("firmware").is_string(), "a string");
    CheckType(name, document, "serial_number", document.at("serial_number").is_number_integer(),
              "an integer");
    CheckType(name, document, "output_type", document.at("output_type").is_number_integer(),
              "an integer");
    CheckPolynomial(name, document.at("sensor_polynomial"));
    try {
        file.Settings = CheckSettings(document.at("settings"), sensors, "settings");
    } catch (const CommandFailure& failure) {
        throw CommandFailure(failure.Code, name + ": " + failure.what());
    }
    return file;
}

SettingsFile LoadSettingsFile(const std::string& path, const SensorList& sensors) {
    return ParseSettingsFile(Escaped(path), ReadInputFile(path), sensors);
}
