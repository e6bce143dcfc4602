#include "calibration/settling_fit.h"

#include <cmath>

namespace {

constexpr double ShortestTau = 0.5;
constexpr double LongestTau = 3600.0;

struct Candidate {
    SettlingCurve Curve;
    double Residual = 0.0;
};

// For a fixed tau the curve is linear in its two other parameters: an ordinary least-squares
// line against e^(-t/tau).
std::optional<Candidate> FitWithTau(const std::vector<TimedValue>& samples, double tau) {
    std::vector<TimedValue> transformed;
    transformed.reserve(samples.size());
    const double start = samples.front().Seconds;
    for (const TimedValue& sample : samples) {
        transformed.push_back({std::exp(-(sample.Seconds - start) / tau), sample.Value});
    }
    const std::optional<LineFit> line = FitLine(transformed);
    if (!line) {
        return std::nullopt;
    }
    Candidate candidate;
    candidate.Curve.Final = line->Intercept;
    candidate.Curve.Amplitude = line->Slope;
    candidate.Curve.Tau = tau;
    for (const TimedValue& sample : samples) {
        const double miss = sample.Value - candidate.Curve.At(sample.Seconds - start);
        candidate.Residual += miss * miss;
    }
    return candidate;
}

}  // namespace

double SettlingCurve::At(double seconds) const {
    return Final + Amplitude * std::exp(-seconds / Tau);
}

double SettlingCurve::WindowSlope(double seconds, double window) const {
    std::vector<TimedValue> points;
    for (double t = seconds - window; t <= seconds + 1e-9; t += 1.0) {
        points.push_back({t, At(t)});
    }
    const std::optional<LineFit> line = FitLine(points);
    return line ? line->Slope : 0.0;
}

std::optional<SettlingCurve> FitSettlingCurve(const std::vector<TimedValue>& samples) {
    if (samples.size() < 5) {
        return std::nullopt;
    }
    // A coarse logarithmic sweep, then a golden-section search in the best bracket: the
    // residual as a function of tau is smooth and, near its minimum, single-valleyed.
    constexpr int Steps = 60;
    const double ratio = std::pow(LongestTau / ShortestTau, 1.0 / Steps);
    int best = -1;
    double bestResidual = 0.0;
    for (int i = 0; i <= Steps; ++i) {
        const std::optional<Candidate> candidate =
            FitWithTau(samples, ShortestTau * std::pow(ratio, i));
        if (candidate && (best < 0 || candidate->Residual < bestResidual)) {
            best = i;
            bestResidual = candidate->Residual;
        }
    }
    if (best < 0 || best == Steps) {
        // The longest time constant fits best: the samples are as good as a straight line.
        return std::nullopt;
    }
    double low = std::log(ShortestTau * std::pow(ratio, best > 0 ? best - 1 : 0));
    double high = std::log(ShortestTau * std::pow(ratio, best + 1));
    const double golden = (std::sqrt(5.0) - 1.0) / 2.0;
    auto residualAt = [&](double logTau) {
        const std::optional<Candidate> candidate = FitWithTau(samples, std::exp(logTau));
        return candidate ? candidate->Residual : INFINITY;
    };
    double a = high - golden * (high - low);
    double b = low + golden * (high - low);
    double ra = residualAt(a);
    double rb = residualAt(b);
    for (int i = 0; i < 40; ++i) {
        if (ra < rb) {
            high = b;
            b = a;
            rb = ra;
            a = high - golden * (high - low);
            ra = residualAt(a);
        } else {
            low = a;
            a = b;
            ra = rb;
            b = low + golden * (high - low);
            rb = residualAt(b);
        }
    }
    const std::optional<Candidate> fitted = FitWithTau(samples, std::exp((low + high) / 2.0));
    if (!fitted) {
        return std::nullopt;
    }
    // Times from here on count from the first sample.
    SettlingCurve curve = fitted->Curve;
    return curve;
}
