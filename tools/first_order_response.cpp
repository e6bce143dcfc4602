#include "tools/first_order_response.h"

#include <cmath>

double FirstOrderResponse::Approach(double seconds) const {
    if (Tau <= 0.0) {
        return Target;
    }
    return Target + (From - Target) * std::exp(-(seconds - Since) / Tau);
}

double FirstOrderResponse::At(double seconds, double target, std::mt19937& random) {
    if (!Started) {
        // A probe that was already in its solution when the model began: settled.
        Started = true;
        Target = target;
        From = target;
        Since = seconds;
        Origin = seconds;
    } else if (target != Target) {
        From = Approach(seconds);
        Target = target;
        Since = seconds;
    }
    double value = Approach(seconds) + DriftPerMinute * (seconds - Origin) / 60.0;
    if (Sigma > 0.0) {
        std::normal_distribution<double> noise(0.0, Sigma);
        value += noise(random);
    }
    return value;
}
