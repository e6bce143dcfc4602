#include "cli/settings_file.h"

#include <algorithm>
#include <fstream>

#include "cli/command_failure.h"
#include "cli/setting_keys.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

[[noreturn]] void Reject(const std::string& where, const std::string& problem) {
    throw CommandFailure(ExitCode::Usage, where + ": " + problem);
}

void CheckType(const json& document, const char* key, bool fits, const char* expected) {
    if (!fits) {
        Reject(key, std::string("expected ") + expected + ", found " +
                        (document.at(key).is_null() ? "null" : document.at(key).type_name()));
    }
}

void CheckPolynomial(const json& polynomial) {
    CheckType(polynomial, "degree", polynomial.at("degree").is_number_integer(), "an integer");
    const json& coefficients = polynomial.at("coefficients");
    if (!coefficients.is_array() || coefficients.size() != InverseCoefficientCount) {
        Reject("sensor_polynomial.coefficients", "expected an array of five numbers");
    }
    for (const json& c : coefficients) {
        if (!c.is_number()) {
            Reject("sensor_polynomial.coefficients", "expected an array of five numbers");
        }
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

SettingsFile LoadSettingsFile(const std::string& path, const SensorList& sensors) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw CommandFailure(ExitCode::Usage, "cannot read " + path);
    }
    SettingsFile file;
    try {
        file.Document = json::parse(stream);
    } catch (const json::parse_error& error) {
        throw CommandFailure(ExitCode::Usage,
                             path + " is not JSON or is truncated: " + error.what());
    }
    const json& document = file.Document;
    if (!document.is_object()) {
        Reject(path, "expected a JSON object");
    }
    // The version decides how to read everything else, so it is checked first.
    if (!document.contains("format")) {
        Reject("format", "missing key");
    }
    CheckType(document, "format", document.at("format").is_number_integer(), "an integer");
    const long long format = document.at("format").get<long long>();
    if (format > SettingsFormat) {
        Reject("format", "version " + std::to_string(format) +
                             " is newer than this program reads (" +
                             std::to_string(SettingsFormat) + ")");
    }
    if (format < 1) {
        Reject("format", "version " + std::to_string(format) + " does not exist");
    }
    static const char* const keys[] = {
        "format",        "read_at",     "identity",          "firmware",
        "serial_number", "output_type", "sensor_polynomial", "settings"};
    for (const auto& item : document.items()) {
        if (std::find(std::begin(keys), std::end(keys), item.key()) == std::end(keys)) {
            Reject(item.key(), "unknown key");
        }
    }
    for (const char* key : keys) {
        if (!document.contains(key)) {
            Reject(key, "missing key");
        }
    }
    CheckType(document, "read_at", document.at("read_at").is_string(), "a string");
    CheckType(document, "identity", document.at("identity").is_string(), "a string");
    CheckType(document, "firmware", document.at("firmware").is_string(), "a string");
    CheckType(document, "serial_number", document.at("serial_number").is_number_integer(),
              "an integer");
    CheckType(document, "output_type", document.at("output_type").is_number_integer(),
              "an integer");
    const json& polynomial = document.at("sensor_polynomial");
    if (!polynomial.is_object() || !polynomial.contains("degree") ||
        !polynomial.contains("coefficients")) {
        Reject("sensor_polynomial", "expected an object with degree and coefficients");
    }
    CheckPolynomial(polynomial);
    file.Settings = CheckSettings(document.at("settings"), sensors, "settings");
    return file;
}

void SaveSettingsFile(const std::string& path, const json& document) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << document.dump(2) << '\n';
    stream.close();
    if (!stream) {
        throw CommandFailure(ExitCode::Usage, "cannot write " + path);
    }
}
