// The simulated QX7 transmitter without I/O: a request frame in, a reply frame or silence out.
// It keeps every setting, derives plausible live values from them and injects the faults it
// is told to; control lines (tools/README.md) change all of that.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tools/probe_settling.h"

class SimulatorEngine {
  public:
    SimulatorEngine();

    // Answers one complete request frame. False when the transmitter stays silent; otherwise
    // reply holds the bytes to send, which are not necessarily a well-formed frame when a
    // fault is active.
    bool Respond(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& reply);

    // Applies one control line ("set ph 4", "fault silent on 38 times 1", "key = value", ...).
    // Blank lines and lines starting with '#' do nothing. False, with a message in error,
    // when the line is not understood; the state is then unchanged.
    bool Apply(const std::string& line, std::string& error);

    // How long the shell waits before the first byte of a reply, and the time one byte takes
    // on the wire (0 when the line is not paced).
    int ReplyDelayMs() const { return DelayMs; }
    // When a late fault applied to the last reply Respond gave: how many milliseconds after
    // its request that reply leaves, in place of the delay. -1 otherwise.
    int LateMs() const { return Late; }
    long ByteTimeNs() const { return Baud > 0 ? 10L * 1000000000L / Baud : 0; }

    // The stored data of a command as the transmitter would send it (tests look at it).
    std::vector<std::uint8_t> Stored(std::uint8_t code) const;

  private:
    enum class Kind { None, Byte, Word, Int32, Float, Date, Text8, Coeff5, Live };
    enum class FaultKind { Silent, Checksum, Truncate, Length, Pattern, Raw, Late, Duplicate };

    struct Fault {
        FaultKind What;
        std::vector<std::uint8_t> Raw;
        int LateMin;  // a late reply leaves LateMin..LateMax ms after its request
        int LateMax;
        std::uint64_t Codes;  // bit per command code
        long Remaining;       // -1: without limit
        long Every;           // 0: every matching reply
        long Seen;
    };
    struct Clamp {
        bool Active;
        double Min;
        double Max;
    };
    struct Echo {
        bool Active;
        std::vector<std::uint8_t> Data;
    };

    static constexpr int Codes = 64;

    // A control verb and the operation that applies its line, already split into words.
    using VerbOperation = bool (SimulatorEngine::*)(const std::string& line,
                                                    const std::vector<std::string>& words,
                                                    std::string& error);
    struct Verb {
        const char* Name;
        VerbOperation Apply;
    };
    static const Verb Verbs[];

    void Reset();
    static bool UnknownVerb(const std::vector<std::string>& words, std::string& error);
    bool ApplySetVerb(const std::string& line, const std::vector<std::string>& words,
                      std::string& error);
    bool ApplyFaultVerb(const std::string& line, const std::vector<std::string>& words,
                        std::string& error);
    bool ApplyClear(const std::string& line, const std::vector<std::string>& words,
                    std::string& error);
    bool ApplyReset(const std::string& line, const std::vector<std::string>& words,
                    std::string& error);
    bool ApplyClamp(const std::string& line, const std::vector<std::string>& words,
                    std::string& error);
    bool ApplyEcho(const std::string& line, const std::vector<std::string>& words,
                   std::string& error);
    // delay, baud and pace: the settings of those names.
    bool ApplyLineSetting(const std::string& line, const std::vector<std::string>& words,
                          std::string& error);
    void FollowTargets();
    // settle ...: the probe's first-order response (tools/probe_settling.h).
    bool ApplySettle(const std::string& line, const std::vector<std::string>& words,
                     std::string& error);
    bool ApplySet(const std::string& key, const std::string& value, std::string& error);
    bool ApplyFault(const std::vector<std::string>& words, std::string& error);
    // "MS" or "MIN-MAX" into the fault's range of lateness.
    static bool ParseLateness(const std::string& word, Fault& fault);
    bool ParseCodes(const std::string& list, std::uint64_t& codes, std::string& error) const;
    bool Encode(const std::string& key, const std::string& value, std::uint8_t& code,
                std::vector<std::uint8_t>& data, std::string& error) const;

    double Noise(double amplitude);
    double Temperature();
    double Voltage(double temperature);
    double MeasuredValue(double voltage, double temperature);
    // The resistance at which the stored polynomial gives this temperature, found from the
    // set resistance on.
    double ResistanceFor(double celsius) const;
    float LiveValue(std::uint8_t code);
    void StoreWrite(std::uint8_t code, const std::uint8_t* data, std::size_t n);
    void ApplyFaults(std::uint8_t code, std::vector<std::uint8_t>& reply, bool& silent);

    float StoredFloat(std::uint8_t code, std::size_t offset = 0) const;

    Kind Kinds[Codes] = {};
    std::uint8_t Lengths[Codes] = {};
    bool Writable[Codes] = {};
    std::vector<std::uint8_t> Store[Codes];
    Clamp Clamps[Codes] = {};
    Echo Echoes[Codes];

    double Resistance = 0;
    double Ph = 0;
    double Concentration = 0;
    // A voltage set directly, in place of the one from the pH; NaN when none is.
    double FixedVoltage = 0;
    ProbeSettling Settling;
    double NoiseAmplitude = 0;
    std::mt19937 Random;
    std::vector<Fault> Faults;
    int DelayMs = 0;
    int Late = -1;
    long Baud = 0;
};
