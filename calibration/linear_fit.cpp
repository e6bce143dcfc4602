#include "calibration/linear_fit.h"

std::optional<LineFit> FitLine(const std::vector<TimedValue>& samples) {
    if (samples.size() < 2) {
        return std::nullopt;
    }
    // Centred sums: the times may be large and the span small.
    double meanT = 0.0;
    double meanV = 0.0;
    for (const TimedValue& sample : samples) {
        meanT += sample.Seconds;
        meanV += sample.Value;
    }
    meanT /= static_cast<double>(samples.size());
    meanV /= static_cast<double>(samples.size());
    double stt = 0.0;
    double stv = 0.0;
    for (const TimedValue& sample : samples) {
        stt += (sample.Seconds - meanT) * (sample.Seconds - meanT);
        stv += (sample.Seconds - meanT) * (sample.Value - meanV);
    }
    if (stt <= 0.0) {
        return std::nullopt;
    }
    LineFit fit;
    fit.Slope = stv / stt;
    fit.Intercept = meanV - fit.Slope * meanT;
    return fit;
}
