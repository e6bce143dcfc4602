// qx7-link-bench: how fast TransmitterLink talks to a transmitter (normally qx7sim). Prints
// figures, asserts nothing; scripts/bench-link.sh runs it against the simulator.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/transmitter_link.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the main window asks when it connects: the identity, every setting, one poll.
struct Step {
    std::uint8_t Code;
    std::uint8_t ReplyData;
};
constexpr Step ConnectSequence[] = {
    {Command::Identity, 8},
    {Command::FirmwareVersion, 2},
    {Command::SerialNumber, 4},
    {Command::OutputType, 1},
    {Command::ProbeKind, 1},
    {Command::CalibrationDate, 4},
    {Command::Offset, 4},
    {Command::Sensitivity, 4},
    {Command::InputDamping, 1},
    {Command::RangeMin, 4},
    {Command::RangeMax, 4},
    {Command::SensorDegree, 1},
    {Command::SensorCoefficients, 20},
    {Command::TemperatureDamping, 1},
    {Command::Resistance, 4},
    {Command::Temperature, 4},
    {Command::Voltage, 4},
    {Command::MeasuredValue, 4},
    {Command::Ratio, 4},
};

bool Connect(TransmitterLink& link) {
    bool ok = link.ReadIdentity() != nullptr;
    for (const auto& step : ConnectSequence) {
        if (step.Code == Command::Identity) {
            continue;
        }
        link.SendFrame(step.Code, 0);
        ok = link.ReceiveFrame(step.ReplyData) && ok;
    }
    return ok;
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: qx7-link-bench PORT exchanges N   (N byte reads, as fast as possible)\n"
        "       qx7-link-bench PORT connect N     (N connect sequences, timed)\n"
        "       qx7-link-bench PORT timeouts N    (N unanswered reads, each followed\n"
        "                                          by an answered one; run the\n"
        "                                          simulator with --fault 'silent on 38')\n"
        "       qx7-link-bench PORT steps N       (what each step of an exchange costs,\n"
        "                                          N times each, on an idle line)\n");
    return 2;
}

// The steps an exchange adds to its write and reads: the purge before the request, the clock
// before and after the write, and the look at the input and the clock after the header and
// after the whole reply.
int Steps(const char* portName, int count) {
    char path[SerialPort::PathBufferSize];
    SerialPort port;
    if (!SerialPort::DevicePath(portName, path, sizeof path) || !port.Open(path)) {
        std::fprintf(stderr, "qx7-link-bench: cannot open %s\n", portName);
        return 1;
    }
    port.SetTimeouts(LineSettings::Timeouts);
    auto microsecondsEach = [count](Clock::time_point start) {
        return MillisecondsSince(start) * 1000.0 / count;
    };
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        port.Purge(PurgeRxClear);
    }
    const double purge = microsecondsEach(start);
    std::uint32_t waiting = 0;
    start = Clock::now();
    for (int i = 0; i < count; ++i) {
        waiting += port.InputWaiting();
    }
    const double look = microsecondsEach(start);
    std::int64_t elapsed = 0;
    start = Clock::now();
    for (int i = 0; i < count; ++i) {
        elapsed += port.MicrosecondsSinceWrite();
    }
    const double clock = microsecondsEach(start);
    std::printf(
        "per call: purge %.1f us, bytes waiting %.1f us, clock %.1f us; an on-time exchange "
        "purges once, looks twice and reads the clock four times: %.1f us%s\n",
        purge, look, clock, purge + 2 * look + 4 * clock,
        waiting != 0 || elapsed < 0 ? " (!)" : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return Usage();
    }
    int count = std::atoi(argv[3]);
    if (count > 0 && std::strcmp(argv[2], "steps") == 0) {
        return Steps(argv[1], count);
    }
    TransmitterLink link;
    if (count <= 0 || !link.Open(argv[1])) {
        std::fprintf(stderr, "qx7-link-bench: cannot open %s\n", argv[1]);
        return count <= 0 ? Usage() : 1;
    }
    if (std::strcmp(argv[2], "exchanges") == 0) {
        std::uint8_t damping = 0;
        int failed = 0;
        auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            failed += link.ReadInputDamping(damping) ? 0 : 1;
        }
        double ms = MillisecondsSince(start);
        std::printf("exchanges: %d in %.1f ms, %.0f per second, %.3f ms each, %d failed\n", count,
                    ms, count * 1000.0 / ms, ms / count, failed);
        return failed == 0 ? 0 : 1;
    }
    if (std::strcmp(argv[2], "connect") == 0) {
        unsigned bytes = 0;
        for (const auto& step : ConnectSequence) {
            bytes += 4 + step.ReplyData + 3;
        }
        double wire = bytes * 10 * 1000.0 / 9600;
        std::vector<double> times;
        int failed = 0;
        for (int i = 0; i < count; ++i) {
            auto start = Clock::now();
            failed += Connect(link) ? 0 : 1;
            times.push_back(MillisecondsSince(start));
        }
        double best = times[0];
        double sum = 0;
        double worst = times[0];
        for (double t : times) {
            best = t < best ? t : best;
            worst = t > worst ? t : worst;
            sum += t;
        }
        double mean = sum / count;
        std::printf(
            "connect sequence: %u bytes, wire time %.1f ms; over %d runs: best %.1f ms, "
            "mean %.1f ms (%+.1f %%), worst %.1f ms, %d failed\n",
            bytes, wire, count, best, mean, (mean / wire - 1) * 100, worst, failed);
        return failed == 0 ? 0 : 1;
    }
    if (std::strcmp(argv[2], "timeouts") == 0) {
        // An unanswered read and the answered one after it, against an answered pair: the
        // difference is what one time-out costs the caller, waiting included.
        float value = 0;
        int wrong = 0;
        auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            wrong += link.ReadResistance(value) ? 1 : 0;
            wrong += link.ReadTemperature(value) ? 0 : 1;
        }
        double pair = MillisecondsSince(start) / count;
        start = Clock::now();
        for (int i = 0; i < count; ++i) {
            wrong += link.ReadTemperature(value) ? 0 : 1;
            wrong += link.ReadTemperature(value) ? 0 : 1;
        }
        double answered = MillisecondsSince(start) / count;
        std::printf(
            "one time-out costs %.1f ms (a failed and an answered read %.1f ms, two "
            "answered reads %.1f ms), %d unexpected results\n",
            pair - answered, pair, answered, wrong);
        return wrong == 0 ? 0 : 1;
    }
    return Usage();
}
