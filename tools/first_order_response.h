// One simulated quantity that follows its target like a real sensor: an exponential approach
// with a time constant, gaussian noise, and a steady drift that never settles.
#pragma once

#include <random>

class FirstOrderResponse {
  public:
    double Tau = 0.0;             // seconds; 0 follows the target at once
    double Sigma = 0.0;           // standard deviation of the noise
    double DriftPerMinute = 0.0;  // added for ever, from the first value on

    // The value at a time (seconds, never going back) for the target it heads to now. A new
    // target starts a new approach from where the value is, without the noise.
    double At(double seconds, double target, std::mt19937& random);

  private:
    double Approach(double seconds) const;

    bool Started = false;
    double Target = 0.0;
    double From = 0.0;
    double Since = 0.0;
    double Origin = 0.0;
};
