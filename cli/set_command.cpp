// qx7ctl set: writes one setting after the same checks a file's value gets, and makes sure
// it was stored.
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "calibration/probe_kind_defaults.h"
#include "cli/command_failure.h"
#include "cli/link_options.h"
#include "cli/owned_sensor_list.h"
#include "cli/plausibility.h"
#include "cli/record_keeping.h"
#include "cli/setting_keys.h"
#include "cli/setting_writer.h"
#include "cli/stop_signals.h"
#include "cli/subcommands.h"
#include "cli/terminal.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"

using nlohmann::json;

namespace {

struct SetOptions {
    LinkOptions Link;
    RecordOptions Records;
    std::string Key;
    std::string Value;
    bool Yes = false;
    bool Force = false;
};

// Shows what the probe type defaults stored, as the dialog does on its fields.
class DefaultsReport : public ProbeDefaultsView {
  public:
    void ShowProbeKind(std::uint8_t kind) override { Shown("probe_kind", std::to_string(kind)); }
    void ShowCalibrationDate(std::uint32_t date) override {
        Shown("calibration_date", DateText(date).value_or("none"));
    }
    void ShowOffset(float millivolt) override { Shown("offset", FloatText(millivolt)); }
    void ShowSensitivity(float slope) override { Shown("sensitivity", FloatText(slope)); }
    void ShowRangeMin(float value) override { Shown("range_min", FloatText(value)); }
    void ShowRangeMax(float value) override { Shown("range_max", FloatText(value)); }

    std::vector<std::string> Confirmed;

  private:
    void Shown(const char* key, const std::string& value) {
        std::cerr << "  " << key << " = " << value << '\n';
        Confirmed.push_back(key);
    }
};

constexpr const char* ProbeKindWarning =
    "setting the probe kind resets the calibration date, offset, slope and range to the probe "
    "type defaults, as the probe type dialog does: the probe's calibration is lost";

// A person at a terminal is asked; a script must say --yes.
void ConfirmProbeKind(bool yes) {
    if (yes) {
        std::cerr << ProbeKindWarning << '\n';
        return;
    }
    if (!StandardInputIsTerminal()) {
        throw CommandFailure(ExitCode::Usage, std::string(ProbeKindWarning) +
                                                  "; add --yes to do so without being asked");
    }
    std::cerr << ProbeKindWarning << ". Go on? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
        throw CommandFailure(ExitCode::No, "nothing written");
    }
}

int SetProbeKind(TransmitterLink& link, std::uint8_t kind) {
    DefaultsReport report;
    ApplyProbeKindDefaults(link, kind, report);
    static const char* const expected[] = {"probe_kind",  "calibration_date", "offset",
                                           "sensitivity", "range_min",        "range_max"};
    std::string missing;
    for (const char* key : expected) {
        if (std::find(report.Confirmed.begin(), report.Confirmed.end(), key) ==
            report.Confirmed.end()) {
            missing += std::string(missing.empty() ? "" : ", ") + key;
        }
    }
    if (!missing.empty()) {
        throw CommandFailure(ExitCode::Communication, "no valid reply when writing " + missing);
    }
    std::uint8_t stored = 0;
    if (!link.ReadProbeKind(stored) || stored != kind) {
        throw CommandFailure(ExitCode::Communication, "the probe kind was not stored");
    }
    return StopExitCode();
}

void CheckPlausible(const SetOptions& options, const SettingKey& key, const json& value,
                    const TransmitterSettings& read) {
    json settings = SettingsJson(read);
    settings[key.Name] = value;
    const std::vector<std::string> problems = ImplausibleSettings(settings, {&key});
    if (!problems.empty() && !options.Force) {
        throw CommandFailure(ExitCode::Usage, problems.front() +
                                                  "; nothing written (--force writes it all "
                                                  "the same)");
    }
}

int WriteOne(const SetOptions& options, TransmitterLink& link, const SensorList& sensors,
             const SettingKey& key, const json& checked);

int RunSet(SetOptions& options) {
    ResolvePositionals(options.Link, {{"KEY", &options.Key}, {"VALUE", &options.Value}});
    OwnedSensorList sensors = MakeSensorList();
    const SettingKey* key = FindSettingKey(options.Key);
    if (key == nullptr) {
        throw CommandFailure(ExitCode::Usage, Quoted(options.Key) + ": unknown key (one of " +
                                                  SettingKeyNames() + ")");
    }
    const json checked = ParseSettingText(*key, options.Value, *sensors);
    if (key->Type == SettingType::Sensor && checked == UnknownSensor) {
        throw CommandFailure(ExitCode::Usage, "sensor: \"unknown\" cannot be written");
    }
    if (key->Type == SettingType::ProbeKind) {
        ConfirmProbeKind(options.Yes);
    }
    StopSignals stop;
    TransmitterLink link;
    ConnectTransmitter(link, options.Link.Port, options.Link.Retries);
    // The probe's calibration changes are kept in the transmitter's calibration log.
    if (!key->Calibration && key->Type != SettingType::ProbeKind) {
        return WriteOne(options, link, *sensors, *key, checked);
    }
    const TransmitterFacts facts = ReadFacts(link, "QX7", options.Link.Retries);
    CalibrationRecord record;
    record.Event = RecordEvent::Set;
    record.Device = facts.Device;
    record.AsFound = facts.Calibration;
    return WriteAndRecord(record, options.Records, link, options.Link.Retries, key->Name,
                          [&] { return WriteOne(options, link, *sensors, *key, checked); });
}

int WriteOne(const SetOptions& options, TransmitterLink& link, const SensorList& sensors,
             const SettingKey& key, const json& checked) {
    if (key.Type == SettingType::ProbeKind) {
        return SetProbeKind(link, checked.get<std::uint8_t>());
    }
    if (key.Type == SettingType::Number) {
        CheckPlausible(options, key, checked, ReadSettings(link, sensors, options.Link.Retries));
    }
    std::string problem;
    if (!WriteSetting(link, sensors, key, checked, options.Link.Retries, problem)) {
        throw CommandFailure(ExitCode::Communication,
                             std::string("writing ") + key.Name + " failed: " + problem);
    }
    std::cerr << key.Name << " = " << SettingText(checked) << '\n';
    return StopExitCode();
}

}  // namespace

CommandRun DefineSetCommand(CLI::App& command) {
    auto options = std::make_shared<SetOptions>();
    AddLinkOptions(command, options->Link);
    AddRecordOptions(command, options->Records);
    command.add_option("KEY", options->Key, SettingKeyNames());
    command.add_option("VALUE", options->Value, "the new value (a date as YYYY-MM-DD or none)");
    command.add_flag("--yes", options->Yes,
                     "set probe_kind without asking, although it resets the calibration");
    command.add_flag("--force", options->Force,
                     "write a value that fails the plausibility rules (never a non-finite one)");
    return [options] { return RunSet(*options); };
}
