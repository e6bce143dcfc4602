#include "cli/setting_writer.h"

#include "cli/read_retry.h"
#include "cli/stop_signals.h"

using nlohmann::json;

bool WriteSetting(Transmitter& link, const SensorList& sensors, const SettingKey& key,
                  const json& value, int retries, std::string& problem) {
    for (int attempt = 0;; ++attempt) {
        std::optional<json> echo;
        const bool answered = key.Write(link, sensors, value, echo);
        json stored;
        if (answered && echo) {
            stored = *echo;
        } else if (!ReadWithRetries(retries, [&] { return key.Read(link, sensors, stored); })) {
            problem = answered ? "no valid reply when reading it back"
                               : "no valid reply to the write, nor when reading it back";
            return false;
        }
        if (stored == value) {
            return true;
        }
        if (attempt >= retries || StopRequested()) {
            problem = "the transmitter stored " + SettingText(stored);
            return false;
        }
    }
}
