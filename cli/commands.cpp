#include "cli/commands.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

#include "calibration/probe_kind_defaults.h"
#include "cli/command_failure.h"
#include "cli/probe_judgement.h"
#include "cli/setting_keys.h"
#include "cli/setting_writer.h"
#include "cli/settings_file.h"
#include "cli/transmitter_settings.h"
#include "cli/value_text.h"
#include "link/port_list.h"

using nlohmann::json;

namespace {

struct FreeObject {
    void operator()(BaseObject* object) const { object->Free(); }
};
using SensorListPtr = std::unique_ptr<SensorList, FreeObject>;

SensorListPtr Sensors() {
    return SensorListPtr(CreateSensorList());
}

std::string ValueText(const json& value) {
    return value.is_null() ? "none" : value.is_string() ? value.get<std::string>() : value.dump();
}

CalendarDay TodayFrom(const std::string& text) {
    if (text.empty()) {
        return LocalDate().Today();
    }
    std::optional<std::uint32_t> word = ParseDate(text);
    if (!word) {
        throw CommandFailure(ExitCode::Usage, "--today: " + Quoted(text) + " is not YYYY-MM-DD");
    }
    return *DayOfDate(*word);
}

std::string RatedText(const std::optional<double>& value, const char* format,
                      const std::optional<Rating>& rating) {
    if (!value) {
        return rating ? std::string("-  ") + RatingName(*rating) : "not rated for an ISE probe";
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return std::string(text) + "  " + (rating ? RatingName(*rating) : "");
}

void PrintInfo(const TransmitterSettings& s, const ProbeJudgement& j) {
    const std::string date = DateText(s.CalibrationDate).value_or("none");
    std::cout << "identity             " << s.Identity << '\n'
              << "firmware             " << VersionText(s.Firmware) << '\n'
              << "serial number        " << s.SerialNumber << '\n'
              << "output type          " << OutputTypeName(s.OutputType) << '\n'
              << "probe kind           " << ProbeKindName(s.ProbeKind) << '\n'
              << "calibration date     " << date << '\n'
              << "offset               " << FloatText(s.Offset) << " mV\n"
              << "slope                " << FloatText(s.Sensitivity) << " mV per unit\n"
              << "input damping        " << int{s.InputDamping} << '\n'
              << "temperature damping  " << int{s.TemperatureDamping} << '\n'
              << "range                " << FloatText(s.RangeMin) << " to " << FloatText(s.RangeMax)
              << '\n'
              << "sensor               " << s.Sensor;
    if (s.Sensor == UnknownSensor) {
        std::cout << " (degree " << int{s.Polynomial.Degree} << ", coefficients";
        for (float c : s.Polynomial.Coefficients) {
            std::cout << ' ' << FloatText(c);
        }
        std::cout << ')';
    }
    std::cout << "\nprobe judgement\n"
              << "  slope              "
              << RatedText(j.SlopePercent, "%.1f %% of -59.16 mV/pH", j.SlopeRating) << '\n'
              << "  zero point         " << RatedText(j.ZeroPoint, "pH %.2f", j.ZeroPointRating)
              << '\n'
              << "  calibration age    "
              << (j.DaysSinceCalibration ? std::to_string(*j.DaysSinceCalibration) + " days"
                                         : std::string("no date"))
              << "  " << RatingName(j.AgeRating) << '\n'
              << "  overall            " << RatingName(j.Overall) << std::endl;
}

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

int SetProbeKind(TransmitterLink& link, std::uint8_t kind) {
    std::cerr << "setting the probe kind also resets the calibration date, offset, slope and "
                 "range to the probe type defaults, as the probe type dialog does\n";
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
    return ExitCode::Success;
}

}  // namespace

int RunPorts() {
    PortList* ports = BuildPortList();
    for (std::int32_t i = 0; i < ports->GetCount(); ++i) {
        std::cout << static_cast<const char*>(ports->At(i)) << '\n';
    }
    ports->Free();
    return ExitCode::Success;
}

int RunInfo(const std::string& port, const InfoOptions& options) {
    JudgementLimits limits;
    for (const std::string& assignment : options.Limits) {
        limits.Override(assignment);
    }
    const CalendarDay today = TodayFrom(options.Today);
    SensorListPtr sensors = Sensors();
    TransmitterLink link;
    ConnectTransmitter(link, port);
    const TransmitterSettings settings = ReadSettings(link, *sensors);
    const ProbeJudgement judgement = JudgeProbe(settings, today, limits);
    if (options.Json) {
        json report = TransmitterJson(settings);
        report["judgement"] = JudgementJson(judgement);
        std::cout << report.dump(2) << std::endl;
    } else {
        PrintInfo(settings, judgement);
    }
    return ExitCode::Success;
}

int RunWatch(const std::string& port, const WatchOptions& options) {
    TransmitterLink link;
    ConnectTransmitter(link, port);
    const std::uint64_t polls = WatchLiveValues(link, options);
    std::cerr << polls << " polls recorded\n";
    return ExitCode::Success;
}

int RunBackup(const std::string& port, const std::string& path) {
    SensorListPtr sensors = Sensors();
    TransmitterLink link;
    ConnectTransmitter(link, port);
    const TransmitterSettings settings = ReadSettings(link, *sensors);
    SaveSettingsFile(path, SettingsDocument(settings, UtcTimestamp()));
    std::cerr << "saved the settings of QX7 serial number " << settings.SerialNumber << " to "
              << path << '\n';
    return ExitCode::Success;
}

int RunDiff(const std::string& port, const std::string& path) {
    SensorListPtr sensors = Sensors();
    const SettingsFile file = LoadSettingsFile(path, *sensors);
    TransmitterLink link;
    ConnectTransmitter(link, port);
    const json current = SettingsJson(ReadSettings(link, *sensors));
    int differences = 0;
    for (const SettingKey& key : SettingKeys) {
        if (current.at(key.Name) != file.Settings.at(key.Name)) {
            std::cout << key.Name << ": transmitter " << ValueText(current.at(key.Name))
                      << ", file " << ValueText(file.Settings.at(key.Name)) << '\n';
            ++differences;
        }
    }
    std::cerr << (differences == 0 ? "the transmitter matches " + path
                                   : std::to_string(differences) + " settings differ")
              << '\n';
    return differences == 0 ? ExitCode::Success : 1;
}

int RunRestore(const std::string& port, const std::string& path, const RestoreOptions& options) {
    SensorListPtr sensors = Sensors();
    const SettingsFile file = LoadSettingsFile(path, *sensors);
    TransmitterLink link;
    ConnectTransmitter(link, port);
    const TransmitterSettings read = ReadSettings(link, *sensors);
    const json current = SettingsJson(read);
    if (file.Document.at("serial_number").get<long long>() != read.SerialNumber) {
        std::cerr << "note: " << path << " was saved from serial number "
                  << file.Document.at("serial_number").dump() << ", this is " << read.SerialNumber
                  << '\n';
    }

    std::vector<const SettingKey*> plan;
    for (const SettingKey& key : SettingKeys) {
        const json& wanted = file.Settings.at(key.Name);
        if (current.at(key.Name) == wanted) {
            continue;
        }
        if (key.Calibration && !options.WithCalibration) {
            std::cerr << "kept " << key.Name << " " << ValueText(current.at(key.Name))
                      << " (the file has " << ValueText(wanted)
                      << "; calibration is written only with --with-calibration)\n";
        } else if (key.Type == SettingType::Sensor && wanted == UnknownSensor) {
            std::cerr << "kept sensor " << ValueText(current.at(key.Name))
                      << " (the file's sensor polynomial matches no sensor in the list)\n";
        } else {
            plan.push_back(&key);
        }
    }
    if (!options.WithCalibration && !plan.empty() && plan.front()->Type == SettingType::ProbeKind) {
        std::cerr << "note: the probe kind changes, but the offset, slope and calibration date "
                     "stay as they are; recalibrate, or restore with --with-calibration\n";
    }
    if (plan.empty()) {
        std::cerr << "nothing to write: the transmitter already holds the file's settings\n";
        return ExitCode::Success;
    }
    for (const SettingKey* key : plan) {
        std::cerr << (options.DryRun ? "would write " : "writing ") << key->Name << ": "
                  << ValueText(current.at(key->Name)) << " -> "
                  << ValueText(file.Settings.at(key->Name)) << '\n';
        if (options.DryRun) {
            continue;
        }
        std::string problem;
        if (!WriteSetting(link, *sensors, *key, file.Settings.at(key->Name), problem)) {
            std::string written;
            std::string notWritten = key->Name;
            bool reached = false;
            for (const SettingKey* other : plan) {
                if (other == key) {
                    reached = true;
                } else if (reached) {
                    notWritten += std::string(", ") + other->Name;
                } else {
                    written += std::string(written.empty() ? "" : ", ") + other->Name;
                }
            }
            throw CommandFailure(ExitCode::Communication,
                                 std::string("writing ") + key->Name + " failed (" + problem +
                                     "); written: " + (written.empty() ? "nothing" : written) +
                                     "; not written: " + notWritten);
        }
    }
    std::cerr << (options.DryRun ? "dry run: nothing written\n"
                                 : "restored " + std::to_string(plan.size()) + " settings\n");
    return ExitCode::Success;
}

int RunSet(const std::string& port, const std::string& keyName, const std::string& value) {
    SensorListPtr sensors = Sensors();
    const SettingKey* key = FindSettingKey(keyName);
    if (key == nullptr) {
        std::string names;
        for (const SettingKey& known : SettingKeys) {
            names += std::string(names.empty() ? "" : ", ") + known.Name;
        }
        throw CommandFailure(ExitCode::Usage, keyName + ": unknown key (one of " + names + ")");
    }
    const json checked = ParseSettingText(*key, value, *sensors);
    if (key->Type == SettingType::Sensor && checked == UnknownSensor) {
        throw CommandFailure(ExitCode::Usage, "sensor: \"unknown\" cannot be written");
    }
    TransmitterLink link;
    ConnectTransmitter(link, port);
    if (key->Type == SettingType::ProbeKind) {
        return SetProbeKind(link, checked.get<std::uint8_t>());
    }
    std::string problem;
    if (!WriteSetting(link, *sensors, *key, checked, problem)) {
        throw CommandFailure(ExitCode::Communication,
                             std::string("writing ") + key->Name + " failed: " + problem);
    }
    std::cerr << key->Name << " = " << ValueText(checked) << '\n';
    return ExitCode::Success;
}
