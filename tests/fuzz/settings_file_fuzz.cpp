// Feeds arbitrary bytes to the reader of the settings file a user hands to restore and diff:
// it must take the file or refuse it with a message, never crash, hang or fail otherwise.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/command_failure.h"
#include "cli/setting_keys.h"
#include "cli/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Built once: the list is read-only to the reader.
    static SensorList* const sensors = CreateSensorList();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const SettingsFile file = ParseSettingsFile("fuzz.json", text, *sensors);
        // A file taken has every key, each in the form restore writes.
        if (file.Settings.size() != SettingKeyCount) {
            __builtin_trap();
        }
    } catch (const CommandFailure&) {
    }
    return 0;
}
