// Figures for scripts/bench-calibration.sh: per calibration point, how long a guided
// calibration waits and how far its value lies from where the probe settles, against the
// window program's fixed 36 samples started at immersion; and what either makes of the
// probe's slope and offset. On the simulator's settling model, many seeds; asserts nothing.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "calibration/calibration_point.h"
#include "calibration/calibration_result.h"
#include "calibration/calibration_state.h"
#include "calibration/stability_monitor.h"
#include "calibration/two_point_calibration.h"
#include "tools/first_order_response.h"

namespace {

constexpr double Slope = -56.8;
constexpr double Offset = 4.0;
constexpr double FirstPh = 7.0;
constexpr double SecondPh = 4.0096;   // the pH 4.01 buffer at 25 degrees
constexpr double TickSeconds = 0.55;  // the calibration dialog's sampling timer

double VoltageAt(double ph) {
    return Offset + Slope * (ph - 7.0);
}

struct PointFigures {
    double Seconds = 0.0;
    double Error = 0.0;  // mV, the point's voltage less the settled one
    bool Accepted = false;
};

// The probe goes from `from` into the buffer at time 0.
PointFigures Guided(double from, double to, double tau, double sigma,
                    const StabilityCriteria& criteria, std::mt19937& random) {
    FirstOrderResponse probe;
    probe.Tau = tau;
    probe.Sigma = sigma;
    probe.At(-1.0, from, random);
    StabilityMonitor monitor(criteria);
    PointFigures figures;
    for (double t = 0.0; t <= 600.0; t += 1.0) {
        PointSample sample;
        sample.Seconds = t;
        sample.Voltage = probe.At(t, to, random);
        sample.Temperature = 25.0;
        if (monitor.Add(sample).Accepted) {
            double sum = 0.0;
            const auto held = monitor.HeldSamples();
            for (const PointSample& h : held) {
                sum += h.Voltage;
            }
            figures.Seconds = t;
            figures.Error = sum / static_cast<double>(held.size()) - to;
            figures.Accepted = true;
            return figures;
        }
    }
    return figures;
}

PointFigures Fixed(double from, double to, double tau, double sigma, std::mt19937& random) {
    FirstOrderResponse probe;
    probe.Tau = tau;
    probe.Sigma = sigma;
    probe.At(-1.0, from, random);
    // Immersion at 0, the first tick one period later.
    probe.At(0.0, to, random);
    double sum = 0.0;
    for (int i = 1; i <= SamplesPerPoint; ++i) {
        sum += probe.At(i * TickSeconds, to, random);
    }
    return {SamplesPerPoint * TickSeconds, sum / SamplesPerPoint - to, true};
}

CalibrationResult Result(double error1, double error2) {
    CalibrationPoint p1{static_cast<float>(FirstPh), 25.0f,
                        static_cast<float>(VoltageAt(FirstPh) + error1), true};
    CalibrationPoint p2{static_cast<float>(SecondPh), 25.0f,
                        static_cast<float>(VoltageAt(SecondPh) + error2), true};
    return ComputeCalibration(0, p1, p2, CalendarDay{2026, 1, 1});
}

struct Summary {
    std::vector<double> Values;
    void Add(double v) { Values.push_back(v); }
    double Mean() const {
        double s = 0.0;
        for (double v : Values) {
            s += v;
        }
        return Values.empty() ? NAN : s / static_cast<double>(Values.size());
    }
    double WorstAbs() const {
        double w = 0.0;
        for (double v : Values) {
            w = std::max(w, std::fabs(v));
        }
        return w;
    }
};

void Report(const char* name, int runs, double tau, double sigma,
            const std::optional<StabilityCriteria>& criteria) {
    Summary seconds[2];
    Summary errors[2];
    Summary slope;
    Summary offset;
    int timedOut = 0;
    const double voltages[3] = {VoltageAt(SecondPh), VoltageAt(FirstPh), VoltageAt(SecondPh)};
    for (int run = 0; run < runs; ++run) {
        std::mt19937 random(static_cast<std::mt19937::result_type>(1000 + run));
        double pointError[2] = {0.0, 0.0};
        for (int p = 0; p < 2; ++p) {
            const PointFigures figures =
                criteria ? Guided(voltages[p], voltages[p + 1], tau, sigma, *criteria, random)
                         : Fixed(voltages[p], voltages[p + 1], tau, sigma, random);
            if (!figures.Accepted) {
                ++timedOut;
                continue;
            }
            seconds[p].Add(figures.Seconds);
            errors[p].Add(figures.Error);
            pointError[p] = figures.Error;
        }
        const CalibrationResult result = Result(pointError[0], pointError[1]);
        slope.Add(result.Slope - Slope);
        offset.Add(result.Offset - Offset);
    }
    std::printf(
        "| %-22s | %5.1f s | %+8.3f mV (%.3f) | %5.1f s | %+8.3f mV (%.3f) | %+7.3f (%.3f) | "
        "%+7.3f (%.3f) |%s\n",
        name, seconds[0].Mean(), errors[0].Mean(), errors[0].WorstAbs(), seconds[1].Mean(),
        errors[1].Mean(), errors[1].WorstAbs(), slope.Mean(), slope.WorstAbs(), offset.Mean(),
        offset.WorstAbs(),
        timedOut > 0 ? (" " + std::to_string(timedOut) + " points timed out").c_str() : "");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const double tau = argc > 2 ? std::atof(argv[2]) : 8.0;
    const double sigma = argc > 3 ? std::atof(argv[3]) : 0.1;
    std::printf(
        "tau %.1f s, noise %.2f mV, slope %.1f mV/pH, offset %+.1f mV; point 1 pH 7.00 "
        "after pH 4.01, point 2 pH 4.01 after pH 7.00; %d runs: mean (worst)\n\n",
        tau, sigma, Slope, Offset, runs);
    std::printf(
        "| method | point 1 time | point 1 error | point 2 time | point 2 error | slope "
        "error mV/pH | offset error mV |\n|---|---|---|---|---|---|---|\n");
    Report("fixed 36 samples", runs, tau, sigma, std::nullopt);
    for (const char* preset : {"fast", "normal", "strict"}) {
        Report(preset, runs, tau, sigma, ParseStability(preset));
    }
    return 0;
}
