// The simulated transmitter's state, its answers and its faults.
#include "tools/simulator_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "link/transmitter.h"
#include "link/transmitter_link.h"
#include "link/wire_value.h"

namespace {

struct Key {
    const char* Name;
    std::uint8_t Code;
    std::uint8_t Offset;
};

// Every stored setting, by the name used in config files and control lines.
constexpr Key StoredKeys[] = {
    {"identity", Command::Identity, 0},
    {"identity_hex", Command::Identity, 0},
    {"firmware", Command::FirmwareVersion, 0},
    {"serial", Command::SerialNumber, 0},
    {"output_type", Command::OutputType, 0},
    {"probe_kind", Command::ProbeKind, 0},
    {"sensor_degree", Command::SensorDegree, 0},
    {"c0", Command::SensorCoefficients, 0},
    {"c1", Command::SensorCoefficients, 4},
    {"c2", Command::SensorCoefficients, 8},
    {"c3", Command::SensorCoefficients, 12},
    {"c4", Command::SensorCoefficients, 16},
    {"low_resistance", Command::SensorLowResistance, 0},
    {"high_resistance", Command::SensorHighResistance, 0},
    {"range_min", Command::RangeMin, 0},
    {"range_max", Command::RangeMax, 0},
    {"offset", Command::Offset, 0},
    {"sensitivity", Command::Sensitivity, 0},
    {"date", Command::CalibrationDate, 0},
    {"temperature_damping", Command::TemperatureDamping, 0},
    {"input_damping", Command::InputDamping, 0},
};

const Key* FindKey(const std::string& name) {
    for (const auto& key : StoredKeys) {
        if (name == key.Name) {
            return &key;
        }
    }
    return nullptr;
}

std::string Trim(const std::string& text) {
    auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return "";
    }
    auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

// Decimal, or hexadecimal with 0x; a leading zero does not make a number octal.
bool ParseInteger(const std::string& text, long long& value, int base = 10) {
    std::string digits = text;
    if (base == 10 && (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)) {
        digits = digits.substr(2);
        base = 16;
    }
    if (digits.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtoll(digits.c_str(), &end, base);
    return *end == '\0';
}

bool ParseHexBytes(const std::vector<std::string>& words, std::size_t first, std::size_t last,
                   std::vector<std::uint8_t>& bytes) {
    std::string digits;
    for (std::size_t i = first; i < last; ++i) {
        digits += words[i];
    }
    if (digits.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        long long byte = 0;
        if (!ParseInteger(digits.substr(i, 2), byte, 16)) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

void PutLittleEndian(std::uint8_t* out, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetLittleEndian(const std::uint8_t* in, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    }
    return value;
}

std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> reply = {TransmitterLink::ReplyStart,
                                       static_cast<std::uint8_t>(data.size())};
    reply.insert(reply.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto b : reply) {
        sum += b;
    }
    reply.push_back(static_cast<std::uint8_t>(256 - sum % 256));
    return reply;
}

}  // namespace

SimulatorEngine::SimulatorEngine() {
    Reset();
}

void SimulatorEngine::Reset() {
    for (int code = 0; code < Codes; ++code) {
        Kinds[code] = Kind::None;
        Lengths[code] = 0;
        Writable[code] = false;
        Store[code].clear();
        Clamps[code] = {};
        Echoes[code] = {};
    }
    auto define = [this](std::uint8_t code, Kind kind, std::uint8_t length, bool writable) {
        Kinds[code] = kind;
        Lengths[code] = length;
        Writable[code] = writable;
        Store[code].assign(length, 0);
    };
    define(Command::Identity, Kind::Text8, 8, false);
    define(Command::FirmwareVersion, Kind::Word, 2, false);
    define(Command::SerialNumber, Kind::Int32, 4, false);
    for (std::uint8_t code = Command::ResistanceSample; code <= Command::Ratio; ++code) {
        define(code, Kind::Live, 4, false);
    }
    define(Command::OutputType, Kind::Byte, 1, false);
    define(Command::ProbeKind, Kind::Byte, 1, true);
    define(Command::SensorDegree, Kind::Byte, 1, true);
    define(Command::SensorCoefficients, Kind::Coeff5, 20, true);
    for (std::uint8_t code = Command::SensorLowResistance; code <= Command::Sensitivity; ++code) {
        define(code, Kind::Float, 4, true);
    }
    define(Command::CalibrationDate, Kind::Date, 4, true);
    define(Command::TemperatureDamping, Kind::Byte, 1, true);
    define(Command::InputDamping, Kind::Byte, 1, true);

    static const char* const Defaults[] = {
        "identity = QX7",
        "firmware = 0x0103",
        "serial = 70412",
        "output_type = 0",
        "probe_kind = 0",
        "sensor_degree = 2",
        "c0 = -245.80544",
        "c1 = 2.3577354",
        "c2 = 0.0010030776",
        "c3 = 0",
        "c4 = 0",
        "low_resistance = 92.159897",
        "high_resistance = 138.505493",
        "range_min = 0",
        "range_max = 14",
        "offset = 0",
        "sensitivity = -59.16",
        "date = 20240315",
        "temperature_damping = 3",
        "input_damping = 5",
    };
    std::string ignored;
    for (const char* line : Defaults) {
        Apply(line, ignored);
    }
    Resistance = 109.734657;  // 25 degrees Celsius on a Pt100
    Ph = 7.0;
    Concentration = 1.0;
    FixedVoltage = std::nan("");
    Settling = ProbeSettling();
    NoiseAmplitude = 0;
    Random.seed(1);
    Faults.clear();
    DelayMs = 0;
    Late = -1;
    // A real line: no reply can come sooner than its request and its own bytes take to cross.
    Baud = 9600;
}

std::vector<std::uint8_t> SimulatorEngine::Stored(std::uint8_t code) const {
    return code < Codes ? Store[code] : std::vector<std::uint8_t>{};
}

float SimulatorEngine::StoredFloat(std::uint8_t code, std::size_t offset) const {
    return FloatOf(GetLittleEndian(Store[code].data() + offset, 4));
}

bool SimulatorEngine::Encode(const std::string& keyName, const std::string& value,
                             std::uint8_t& code, std::vector<std::uint8_t>& data,
                             std::string& error) const {
    const Key* key = FindKey(keyName);
    if (key == nullptr) {
        error = "unknown setting '" + keyName + "'";
        return false;
    }
    code = key->Code;
    data = Store[code];
    std::uint8_t* out = data.data() + key->Offset;
    long long integer = 0;
    double real = 0;
    switch (Kinds[code]) {
        case Kind::Text8:
            if (keyName == "identity_hex") {
                std::vector<std::uint8_t> bytes;
                if (!ParseHexBytes(Words(value), 0, Words(value).size(), bytes) ||
                    bytes.size() > 8) {
                    error = "identity_hex takes up to 8 hexadecimal bytes";
                    return false;
                }
                std::fill(data.begin(), data.end(), 0);
                std::copy(bytes.begin(), bytes.end(), data.begin());
                return true;
            }
            if (value.size() > 8) {
                error = "an identity has at most 8 characters";
                return false;
            }
            std::fill(data.begin(), data.end(), 0);
            std::copy(value.begin(), value.end(), data.begin());
            return true;
        case Kind::Byte:
        case Kind::Word:
        case Kind::Int32:
            if (!ParseInteger(value, integer)) {
                error = "'" + value + "' is not an integer";
                return false;
            }
            PutLittleEndian(out, static_cast<std::uint32_t>(integer), Lengths[code]);
            return true;
        case Kind::Date:
            // Written as the packed-decimal date reads: 20240315 is 15 March 2024.
            if (!ParseInteger(value, integer, 16)) {
                error = "a date is written as YYYYMMDD";
                return false;
            }
            PutLittleEndian(out, static_cast<std::uint32_t>(integer), 4);
            return true;
        case Kind::Float:
        case Kind::Coeff5:
            if (!ParseDouble(value, real)) {
                error = "'" + value + "' is not a number";
                return false;
            }
            PutLittleEndian(out, BitsOf(static_cast<float>(real)), 4);
            return true;
        case Kind::None:
        case Kind::Live:
            break;
    }
    error = "setting '" + keyName + "' cannot be stored";
    return false;
}

bool SimulatorEngine::ApplySet(const std::string& key, const std::string& value,
                               std::string& error) {
    double real = 0;
    auto number = [&](double& target) {
        if (!ParseDouble(value, real)) {
            error = "'" + value + "' is not a number";
            return false;
        }
        target = real;
        return true;
    };
    if (key == "resistance") {
        return number(Resistance);
    }
    if (key == "ph") {
        FixedVoltage = std::nan("");
        return number(Ph);
    }
    if (key == "voltage") {
        return number(FixedVoltage);
    }
    if (key == "concentration") {
        return number(Concentration);
    }
    if (key == "noise") {
        return number(NoiseAmplitude);
    }
    long long integer = 0;
    if (key == "seed" || key == "delay" || key == "baud") {
        if (!ParseInteger(value, integer) || integer < 0) {
            error = key + " takes a whole number of at least 0";
            return false;
        }
        if (key == "seed") {
            Random.seed(static_cast<std::mt19937::result_type>(integer));
        } else if (key == "delay") {
            DelayMs = static_cast<int>(integer);
        } else {
            Baud = static_cast<long>(integer);
        }
        return true;
    }
    if (key == "pace") {
        if (value != "on" && value != "off") {
            error = "pace takes on or off";
            return false;
        }
        Baud = value == "on" ? 9600 : 0;
        return true;
    }
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data;
    if (!Encode(key, value, code, data, error)) {
        return false;
    }
    Store[code] = data;
    return true;
}

bool SimulatorEngine::ParseCodes(const std::string& list, std::uint64_t& codes,
                                 std::string& error) const {
    if (list == "all") {
        codes = ~std::uint64_t{0};
        return true;
    }
    codes = 0;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        long long code = 0;
        if (const Key* key = FindKey(item)) {
            code = key->Code;
        } else if (!ParseInteger(item, code) || code < 0 || code >= Codes) {
            error = "'" + item + "' is not a command code";
            return false;
        }
        codes |= std::uint64_t{1} << code;
    }
    return true;
}

bool SimulatorEngine::ParseLateness(const std::string& word, Fault& fault) {
    auto dash = word.find('-');
    long long low = 0;
    long long high = 0;
    bool ok = false;
    if (dash == std::string::npos) {
        ok = ParseInteger(word, low);
        high = low;
    } else {
        ok = ParseInteger(word.substr(0, dash), low) && ParseInteger(word.substr(dash + 1), high);
    }
    // A minute is far beyond any time-out a client could wait.
    if (!ok || low < 0 || high < low || high > 60000) {
        return false;
    }
    fault.LateMin = static_cast<int>(low);
    fault.LateMax = static_cast<int>(high);
    return true;
}

bool SimulatorEngine::ApplyFault(const std::vector<std::string>& words, std::string& error) {
    if (words.size() < 2) {
        error =
            "fault needs a kind: silent, checksum, truncate, length, pattern, raw, late or "
            "duplicate";
        return false;
    }
    static const struct {
        const char* Name;
        FaultKind What;
    } Names[] = {{"silent", FaultKind::Silent},     {"checksum", FaultKind::Checksum},
                 {"truncate", FaultKind::Truncate}, {"length", FaultKind::Length},
                 {"pattern", FaultKind::Pattern},   {"raw", FaultKind::Raw},
                 {"late", FaultKind::Late},         {"duplicate", FaultKind::Duplicate}};
    Fault fault = {FaultKind::Silent, {}, 0, 0, ~std::uint64_t{0}, -1, 0, 0};
    bool known = false;
    for (const auto& kind : Names) {
        if (words[1] == kind.Name) {
            fault.What = kind.What;
            known = true;
        }
    }
    if (!known) {
        error = "unknown fault '" + words[1] + "'";
        return false;
    }
    std::size_t i = 2;
    if (fault.What == FaultKind::Raw) {
        std::size_t end = i;
        while (end < words.size() && words[end] != "on" && words[end] != "times" &&
               words[end] != "every") {
            ++end;
        }
        if (!ParseHexBytes(words, i, end, fault.Raw) || fault.Raw.empty()) {
            error = "fault raw takes the reply's bytes in hexadecimal";
            return false;
        }
        i = end;
    }
    if (fault.What == FaultKind::Late && !ParseLateness(i < words.size() ? words[i] : "", fault)) {
        error = "fault late takes milliseconds, MS or MIN-MAX";
        return false;
    }
    if (fault.What == FaultKind::Late) {
        ++i;
    }
    for (; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) {
            error = "'" + words[i] + "' needs a value";
            return false;
        }
        long long count = 0;
        if (words[i] == "on") {
            if (!ParseCodes(words[i + 1], fault.Codes, error)) {
                return false;
            }
        } else if (words[i] == "times" || words[i] == "every") {
            if (!ParseInteger(words[i + 1], count) || count < 1) {
                error = words[i] + " takes a count of at least 1";
                return false;
            }
            (words[i] == "times" ? fault.Remaining : fault.Every) = static_cast<long>(count);
        } else {
            error = "unknown fault option '" + words[i] + "'";
            return false;
        }
    }
    Faults.push_back(fault);
    return true;
}

// The control verbs; a line "KEY = VALUE" without a verb sets too.
const SimulatorEngine::Verb SimulatorEngine::Verbs[] = {
    {"set", &SimulatorEngine::ApplySetVerb},       {"fault", &SimulatorEngine::ApplyFaultVerb},
    {"clear", &SimulatorEngine::ApplyClear},       {"reset", &SimulatorEngine::ApplyReset},
    {"clamp", &SimulatorEngine::ApplyClamp},       {"echo", &SimulatorEngine::ApplyEcho},
    {"delay", &SimulatorEngine::ApplyLineSetting}, {"baud", &SimulatorEngine::ApplyLineSetting},
    {"pace", &SimulatorEngine::ApplyLineSetting},  {"settle", &SimulatorEngine::ApplySettle},
};

bool SimulatorEngine::Apply(const std::string& rawLine, std::string& error) {
    std::string line = Trim(rawLine);
    if (line.empty() || line[0] == '#') {
        return true;
    }
    auto words = Words(line);
    auto equals = line.find('=');
    if (words[0] != "set" && equals != std::string::npos) {
        const bool applied =
            ApplySet(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), error);
        FollowTargets();
        return applied;
    }
    bool applied = false;
    bool known = false;
    for (const auto& verb : Verbs) {
        if (words[0] == verb.Name) {
            applied = (this->*verb.Apply)(line, words, error);
            known = true;
        }
    }
    if (!known) {
        return UnknownVerb(words, error);
    }
    FollowTargets();
    return applied;
}

void SimulatorEngine::FollowTargets() {
    // A settling probe starts towards a new pH or temperature when the line is applied, not
    // at the next request.
    if (Settling.IsActive() && Resistance > 0) {
        const double t = Temperature();
        Settling.Follow(Voltage(t), t);
    }
}

bool SimulatorEngine::UnknownVerb(const std::vector<std::string>& words, std::string& error) {
    error = "unknown command '" + words[0] + "'";
    return false;
}

bool SimulatorEngine::ApplySetVerb(const std::string& line, const std::vector<std::string>& words,
                                   std::string& error) {
    auto equals = line.find('=');
    if (equals != std::string::npos) {
        return ApplySet(Trim(line.substr(3, equals - 3)), Trim(line.substr(equals + 1)), error);
    }
    if (words.size() < 2) {
        error = "set needs a setting and a value";
        return false;
    }
    auto rest = line.find(words[1]) + words[1].size();
    return ApplySet(words[1], Trim(line.substr(rest)), error);
}

bool SimulatorEngine::ApplySettle(const std::string&, const std::vector<std::string>& words,
                                  std::string& error) {
    return Settling.Apply(std::vector<std::string>(words.begin() + 1, words.end()), error);
}

bool SimulatorEngine::ApplyFaultVerb(const std::string&, const std::vector<std::string>& words,
                                     std::string& error) {
    return ApplyFault(words, error);
}

bool SimulatorEngine::ApplyClear(const std::string&, const std::vector<std::string>& words,
                                 std::string& error) {
    if (words.size() != 1) {
        return UnknownVerb(words, error);
    }
    Faults.clear();
    for (int code = 0; code < Codes; ++code) {
        Clamps[code] = {};
        Echoes[code] = {};
    }
    DelayMs = 0;
    return true;
}

bool SimulatorEngine::ApplyReset(const std::string&, const std::vector<std::string>& words,
                                 std::string& error) {
    if (words.size() != 1) {
        return UnknownVerb(words, error);
    }
    Reset();
    return true;
}

bool SimulatorEngine::ApplyClamp(const std::string&, const std::vector<std::string>& words,
                                 std::string& error) {
    const Key* key = words.size() >= 2 ? FindKey(words[1]) : nullptr;
    if (key == nullptr || !Writable[key->Code]) {
        error = "clamp needs a writable setting";
        return false;
    }
    if (words.size() == 3 && words[2] == "off") {
        Clamps[key->Code] = {};
        return true;
    }
    double low = 0;
    double high = 0;
    if (words.size() != 4 || !ParseDouble(words[2], low) || !ParseDouble(words[3], high) ||
        low > high) {
        error = "clamp takes a setting and MIN MAX, or off";
        return false;
    }
    Clamps[key->Code] = {true, low, high};
    return true;
}

bool SimulatorEngine::ApplyEcho(const std::string& line, const std::vector<std::string>& words,
                                std::string& error) {
    if (words.size() < 3) {
        error = "echo takes a setting and the value of the next reply";
        return false;
    }
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data;
    auto rest = line.find(words[1], 4) + words[1].size();
    if (!Encode(words[1], Trim(line.substr(rest)), code, data, error)) {
        return false;
    }
    if (!Writable[code]) {
        error = "echo needs a writable setting";
        return false;
    }
    Echoes[code] = {true, data};
    return true;
}

bool SimulatorEngine::ApplyLineSetting(const std::string&, const std::vector<std::string>& words,
                                       std::string& error) {
    if (words.size() != 2) {
        error = words[0] + " takes one value";
        return false;
    }
    return ApplySet(words[0], words[1], error);
}

double SimulatorEngine::Noise(double amplitude) {
    if (amplitude <= 0) {
        return 0;
    }
    std::uniform_real_distribution<double> spread(-amplitude, amplitude);
    return spread(Random);
}

double SimulatorEngine::Temperature() {
    int degree = std::min<int>(Store[Command::SensorDegree][0], 4);
    double t = 0;
    for (int i = degree; i >= 0; --i) {
        t = t * Resistance +
            StoredFloat(Command::SensorCoefficients, 4 * static_cast<std::size_t>(i));
    }
    return t;
}

double SimulatorEngine::Voltage(double temperature) {
    if (!std::isnan(FixedVoltage)) {
        return FixedVoltage;
    }
    double slope = StoredFloat(Command::Sensitivity) * (temperature + 273.15) / 298.15;
    double decades = (Store[Command::ProbeKind][0] & 1) != 0 ? std::log10(Concentration) : Ph - 7.0;
    return StoredFloat(Command::Offset) + slope * decades;
}

double SimulatorEngine::MeasuredValue(double voltage, double temperature) {
    double slope = StoredFloat(Command::Sensitivity) * (temperature + 273.15) / 298.15;
    double decades = (voltage - StoredFloat(Command::Offset)) / slope;
    return (Store[Command::ProbeKind][0] & 1) != 0 ? std::pow(10.0, decades) : 7.0 + decades;
}

double SimulatorEngine::ResistanceFor(double celsius) const {
    int degree = std::min<int>(Store[Command::SensorDegree][0], 4);
    double r = Resistance;
    // Newton's method: the sensor polynomials are nearly straight over any real range.
    for (int step = 0; step < 8; ++step) {
        double t = 0;
        double slope = 0;
        for (int i = degree; i >= 0; --i) {
            slope = slope * r + t;
            t = t * r + StoredFloat(Command::SensorCoefficients, 4 * static_cast<std::size_t>(i));
        }
        if (slope == 0 || !std::isfinite(slope)) {
            break;
        }
        r -= (t - celsius) / slope;
    }
    return r;
}

float SimulatorEngine::LiveValue(std::uint8_t code) {
    double t = Temperature();
    double v = Voltage(t);
    double r = Resistance;
    if (Settling.IsActive() && Resistance > 0) {
        v = Settling.Voltage(v, Random);
        t = Settling.Temperature(t, Random);
        r = ResistanceFor(t);
    }
    switch (code) {
        case Command::ResistanceSample:
        case Command::Resistance:
            return static_cast<float>(r + Noise(NoiseAmplitude / 10));
        case Command::Temperature:
            return static_cast<float>(t + Noise(NoiseAmplitude / 100));
        case Command::VoltageSample:
        case Command::Voltage:
            return static_cast<float>(v + Noise(NoiseAmplitude));
        case Command::MeasuredValue:
            return static_cast<float>(MeasuredValue(v + Noise(NoiseAmplitude), t));
        default: {
            double low = StoredFloat(Command::RangeMin);
            double high = StoredFloat(Command::RangeMax);
            double value = MeasuredValue(v, t);
            return high != low ? static_cast<float>((value - low) / (high - low)) : 0.0f;
        }
    }
}

void SimulatorEngine::StoreWrite(std::uint8_t code, const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> value(data, data + n);
    if (Echoes[code].Active) {
        value = Echoes[code].Data;
        Echoes[code] = {};
    } else if (Clamps[code].Active) {
        const Clamp& c = Clamps[code];
        if (Kinds[code] == Kind::Float) {
            float f = FloatOf(GetLittleEndian(value.data(), 4));
            f = static_cast<float>(std::clamp<double>(f, c.Min, c.Max));
            PutLittleEndian(value.data(), BitsOf(f), 4);
        } else if (Kinds[code] == Kind::Byte) {
            value[0] = static_cast<std::uint8_t>(std::clamp<double>(value[0], c.Min, c.Max));
        }
    }
    Store[code] = value;
}

void SimulatorEngine::ApplyFaults(std::uint8_t code, std::vector<std::uint8_t>& reply,
                                  bool& silent) {
    for (auto& fault : Faults) {
        if (fault.Remaining == 0 || (fault.Codes & (std::uint64_t{1} << code)) == 0) {
            continue;
        }
        if (fault.Every > 0 && ++fault.Seen % fault.Every != 0) {
            continue;
        }
        if (fault.Remaining > 0) {
            --fault.Remaining;
        }
        std::vector<std::uint8_t> data(reply.begin() + 2, reply.end() - 1);
        switch (fault.What) {
            case FaultKind::Silent:
                silent = true;
                break;
            case FaultKind::Checksum:
                reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
                break;
            case FaultKind::Truncate:
                reply.resize(2 + data.size() / 2);
                break;
            case FaultKind::Length:
                data.push_back(0);
                reply = Frame(data);
                break;
            case FaultKind::Pattern:
                std::fill(data.begin(), data.end(), 0xFF);
                reply = Frame(data);
                break;
            case FaultKind::Raw:
                reply = fault.Raw;
                break;
            case FaultKind::Duplicate: {
                // The copy follows the reply at once, as one stream on the wire.
                const std::vector<std::uint8_t> copy = reply;
                reply.insert(reply.end(), copy.begin(), copy.end());
                break;
            }
            case FaultKind::Late:
                Late = fault.LateMin;
                if (fault.LateMax > fault.LateMin) {
                    std::uniform_int_distribution<int> spread(fault.LateMin, fault.LateMax);
                    Late = spread(Random);
                }
                break;
        }
        return;
    }
}

bool SimulatorEngine::Respond(const std::vector<std::uint8_t>& request,
                              std::vector<std::uint8_t>& reply) {
    Late = -1;
    if (request.size() < 4 || request[0] != TransmitterLink::RequestStart ||
        request.size() != static_cast<std::size_t>(request[2]) + 4) {
        return false;
    }
    unsigned sum = 0;
    for (auto b : request) {
        sum += b;
    }
    std::uint8_t code = request[1];
    std::size_t n = request[2];
    // A garbled request or an unknown command gets no answer, as on a noisy line.
    if (sum % 256 != 0 || code >= Codes || Kinds[code] == Kind::None) {
        return false;
    }
    std::vector<std::uint8_t> data;
    if (n == 0 && Kinds[code] == Kind::Live) {
        float value = LiveValue(code);
        std::uint32_t bits = std::isfinite(value) ? BitsOf(value) : 0xFFFFFFFFu;
        // A sensor that is open (resistance 0 or below) has neither resistance nor temperature.
        if (Resistance <= 0 && (code == Command::ResistanceSample || code == Command::Resistance ||
                                code == Command::Temperature)) {
            bits = 0xFFFFFFFFu;
        }
        data.assign(4, 0);
        PutLittleEndian(data.data(), bits, 4);
    } else if (n == 0) {
        data = Store[code];
    } else if (Writable[code] && n == Lengths[code]) {
        StoreWrite(code, request.data() + 3, n);
        data = Store[code];
    } else {
        return false;
    }
    reply = Frame(data);
    bool silent = false;
    ApplyFaults(code, reply, silent);
    return !silent;
}
