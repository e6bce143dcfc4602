// The stability engine on synthetic probes: a first-order settling curve with gaussian noise
// from a fixed seed, a probe that drifts for ever, and a temperature that will not settle.
#include "calibration/stability_monitor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "calibration/buffer_check.h"
#include "calibration/settling_fit.h"

namespace {

// V(t) = end + (start - end) e^(-t/tau) + drift t, plus noise; temperature likewise.
struct SyntheticProbe {
    double Start = 4.0;
    double End = 174.0;
    double Tau = 8.0;
    double Sigma = 0.1;
    double DriftPerMinute = 0.0;
    double Celsius = 25.0;
    double CelsiusPerMinute = 0.0;
    std::mt19937 Random{20261209};

    double Model(double t) const {
        return End + (Start - End) * std::exp(-t / Tau) + DriftPerMinute * t / 60.0;
    }
    PointSample At(double t) {
        std::normal_distribution<double> noise(0.0, Sigma);
        std::normal_distribution<double> temperatureNoise(0.0, 0.005);
        PointSample sample;
        sample.Seconds = t;
        sample.Voltage = Model(t) + noise(Random);
        sample.Temperature = Celsius + CelsiusPerMinute * t / 60.0 + temperatureNoise(Random);
        return sample;
    }
};

// Feeds one sample a second until accepted or until the limit; the status of the last.
StabilityStatus RunUntil(StabilityMonitor& monitor, SyntheticProbe& probe, double limit,
                         double& seconds) {
    StabilityStatus status;
    for (seconds = 0.0; seconds <= limit; seconds += 1.0) {
        status = monitor.Add(probe.At(seconds));
        if (status.Accepted) {
            break;
        }
    }
    return status;
}

StabilityCriteria Preset(const char* name) {
    return ParseStability(name).value_or(StabilityCriteria{});
}

}  // namespace

TEST(StabilityMonitorTest, ASettlingProbeIsAcceptedOnceTheDriftLimitHasHeldAndValuedAtItsEnd) {
    SyntheticProbe probe;
    StabilityMonitor monitor(Preset("normal"));
    double seconds = 0.0;
    const StabilityStatus status = RunUntil(monitor, probe, 300.0, seconds);
    ASSERT_TRUE(status.Accepted) << status.Reason;
    EXPECT_TRUE(status.Reason.empty());
    // Not before a full window and the whole hold, however calm the probe.
    EXPECT_GE(seconds, 50.0);
    EXPECT_GE(status.HeldSeconds, 20.0);
    double mean = 0.0;
    const auto held = monitor.HeldSamples();
    ASSERT_GE(held.size(), 20u);
    for (const PointSample& sample : held) {
        mean += sample.Voltage;
    }
    mean /= static_cast<double>(held.size());
    EXPECT_NEAR(mean, probe.End, 0.1);
    // The whole trace is kept for the record of the point.
    EXPECT_EQ(monitor.Samples().size(), static_cast<std::size_t>(seconds) + 1);
}

TEST(StabilityMonitorTest, DriftAndTimeToStabilityAgreeWithTheModelAfterThirtySeconds) {
    SyntheticProbe probe;
    const StabilityCriteria criteria = Preset("normal");
    StabilityMonitor monitor(criteria);
    StabilityStatus at30;
    StabilityStatus at45;
    for (int t = 0; t <= 45; ++t) {
        const StabilityStatus status = monitor.Add(probe.At(t));
        if (t == 30) {
            at30 = status;
        }
        if (t == 45) {
            at45 = status;
        }
    }
    // The model's own regression slope over the same 30 s window, noiseless.
    const SettlingCurve truth{probe.End, probe.Start - probe.End, probe.Tau};
    for (const auto& [t, status] : {std::pair{30.0, at30}, std::pair{45.0, at45}}) {
        ASSERT_TRUE(status.VoltageDrift);
        const double expected = truth.WindowSlope(t, 30.0) * 60.0;
        // Stated tolerance: 2 % of the model's drift, or 0.2 mV/min.
        EXPECT_NEAR(*status.VoltageDrift, expected, std::max(0.02 * std::fabs(expected), 0.2))
            << "at " << t << " s";
        EXPECT_NE(status.Reason.find("mV/min > 0.5"), std::string::npos) << status.Reason;
    }
    // Stated tolerance of the predicted wait: 5 s against when acceptance really comes.
    StabilityMonitor replay(criteria);
    SyntheticProbe again;
    double accepted = 0.0;
    ASSERT_TRUE(RunUntil(replay, again, 300.0, accepted).Accepted);
    ASSERT_TRUE(at30.SecondsToStable);
    ASSERT_TRUE(at45.SecondsToStable);
    EXPECT_NEAR(*at30.SecondsToStable, accepted - 30.0, 5.0);
    EXPECT_NEAR(*at45.SecondsToStable, accepted - 45.0, 5.0);
}

TEST(StabilityMonitorTest, ASettlingCurveIsFittedToItsTimeConstantAndEnd) {
    SyntheticProbe probe;
    probe.Tau = 20.0;
    std::vector<TimedValue> samples;
    for (int t = 0; t <= 30; ++t) {
        const PointSample sample = probe.At(t);
        samples.push_back({sample.Seconds, sample.Voltage});
    }
    const std::optional<SettlingCurve> curve = FitSettlingCurve(samples);
    ASSERT_TRUE(curve);
    EXPECT_NEAR(curve->Tau, 20.0, 1.0);
    EXPECT_NEAR(curve->Final, probe.End, 1.0);
    EXPECT_NEAR(curve->Amplitude, probe.Start - probe.End, 1.0);
}

TEST(StabilityMonitorTest, AProbeThatDriftsForEverIsNeverAcceptedAndSaysByHowMuch) {
    // Quiet enough that the 30 s regression sees the drift to a tenth.
    SyntheticProbe probe;
    probe.Start = probe.End;
    probe.Sigma = 0.02;
    probe.DriftPerMinute = 1.0;
    StabilityMonitor monitor(Preset("normal"));
    double seconds = 0.0;
    const StabilityStatus status = RunUntil(monitor, probe, 300.0, seconds);
    EXPECT_FALSE(status.Accepted);
    EXPECT_EQ(status.Reason, "drift 1.0 mV/min > 0.5");
    ASSERT_TRUE(status.VoltageDrift);
    EXPECT_NEAR(*status.VoltageDrift, 1.0, 0.1);
    // A straight line is no settling curve: no promise of a time.
    EXPECT_FALSE(status.SecondsToStable);

    // The same probe passes a limit above its drift.
    SyntheticProbe same;
    same.Start = same.End;
    same.DriftPerMinute = 1.0;
    StabilityMonitor lenient(*ParseStability("1.5/10"));
    EXPECT_TRUE(RunUntil(lenient, same, 300.0, seconds).Accepted);
}

TEST(StabilityMonitorTest, AMovingTemperatureHoldsThePointAndIsNamed) {
    SyntheticProbe probe;
    probe.Start = probe.End;
    probe.CelsiusPerMinute = -0.4;
    StabilityMonitor monitor(Preset("normal"));
    double seconds = 0.0;
    const StabilityStatus status = RunUntil(monitor, probe, 120.0, seconds);
    EXPECT_FALSE(status.Accepted);
    EXPECT_EQ(status.Reason, "temperature moving 0.4 °C/min");
    ASSERT_TRUE(status.TemperatureDrift);
    EXPECT_NEAR(*status.TemperatureDrift, -0.4, 0.02);
}

TEST(StabilityMonitorTest, TheFirstWindowIsCollectedThenTheHoldCountsAndABreakStartsItAgain) {
    SyntheticProbe probe;
    probe.Start = probe.End;
    StabilityMonitor monitor(Preset("fast"));
    EXPECT_EQ(monitor.Add(probe.At(0)).Reason, "collecting 0 of 30 s");
    for (int t = 1; t < 35; ++t) {
        monitor.Add(probe.At(t));
    }
    EXPECT_EQ(monitor.Status().Reason, "holding 4 of 10 s");
    // A jump of 5 mV breaks the hold.
    PointSample jump = probe.At(35);
    jump.Voltage += 5.0;
    EXPECT_EQ(monitor.Add(jump).HeldSeconds, 0.0);
    EXPECT_FALSE(monitor.Status().Accepted);
}

TEST(StabilityMonitorTest, AHoldWithTooFewSamplesIsNotAcceptedUntilItHasHalfASampleASecond) {
    SyntheticProbe probe;
    probe.Start = probe.End;
    probe.Sigma = 0.01;
    StabilityMonitor monitor(Preset("normal"));
    for (int t = 0; t <= 30; ++t) {
        monitor.Add(probe.At(t));
    }
    EXPECT_EQ(monitor.Status().Reason, "holding 0 of 20 s");
    // The transmitter answered nothing for 25 s: the hold time is over, but with two samples.
    EXPECT_FALSE(monitor.Add(probe.At(55)).Accepted);
    EXPECT_EQ(monitor.Status().Reason, "holding 25 of 20 s, 2 of 10 samples");
    for (int t = 56; t < 63; ++t) {
        EXPECT_FALSE(monitor.Add(probe.At(t)).Accepted) << t;
    }
    // The tenth sample of the hold (from 30 s on) makes it.
    EXPECT_TRUE(monitor.Add(probe.At(63)).Accepted);
    EXPECT_EQ(monitor.HeldSamples().size(), 10u);
}

TEST(StabilityCriteriaTest, PresetsAndOwnLimitsAreReadAndNonsenseIsRefused) {
    const StabilityCriteria strict = Preset("strict");
    EXPECT_EQ(strict.DriftLimit, 0.2);
    EXPECT_EQ(strict.HoldSeconds, 30.0);
    EXPECT_EQ(Preset("normal").DriftLimit, 0.5);
    EXPECT_EQ(Preset("normal").HoldSeconds, 20.0);
    EXPECT_EQ(Preset("fast").DriftLimit, 1.0);
    EXPECT_EQ(Preset("fast").HoldSeconds, 10.0);
    const std::optional<StabilityCriteria> own = ParseStability("0.3/45");
    ASSERT_TRUE(own);
    EXPECT_EQ(own->DriftLimit, 0.3);
    EXPECT_EQ(own->HoldSeconds, 45.0);
    for (const char* bad : {"", "slow", "0.3", "0/10", "-1/10", "1/0", "1/x", "nan/5", "1/inf"}) {
        EXPECT_FALSE(ParseStability(bad)) << bad;
    }
}

TEST(BufferCheckTest, TheProbeNamesTheBufferItReadsLikeWhenThatIsNotTheOneExpected) {
    std::unique_ptr<BufferList> buffers(CreateBufferList());
    // Slope -56.8 mV/pH and offset +4 mV, in pH 7.01 buffer at 25 degrees.
    const double slope = -56.8;
    const double offset = 4.0;
    const double inSeven = offset + slope * (7.0107 - 7.0);
    BufferGuess guess = GuessBuffer(*buffers, inSeven, 25.0, offset, slope);
    ASSERT_NE(guess.Nearest, nullptr);
    EXPECT_EQ(guess.Nearest, buffers->ItemAt(BufferIndexPh701));
    EXPECT_TRUE(IsOtherBuffer(guess, 4.0096));
    EXPECT_FALSE(IsOtherBuffer(guess, 7.0107));
    // A typed 7.00 is the same bottle.
    EXPECT_FALSE(IsOtherBuffer(guess, 7.00));
    // A probe 4 mV off its stored calibration reads nearer 6.86 than 7.00: too close to tell.
    guess = GuessBuffer(*buffers, 4.0, 25.0, 0.0, -59.16);
    EXPECT_EQ(guess.Nearest->Name, buffers->ItemAt(1)->Name);
    EXPECT_FALSE(IsOtherBuffer(guess, 7.00));
    // A worn probe (slope -45) in pH 4.01 still reads nearer 4.01 than 6.86.
    guess = GuessBuffer(*buffers, offset - 45.0 * (4.0096 - 7.0), 25.0, offset, slope);
    EXPECT_EQ(guess.Nearest, buffers->ItemAt(BufferIndexPh401));
    EXPECT_FALSE(IsOtherBuffer(guess, 4.0096));
    // No slope, no guess, no warning.
    guess = GuessBuffer(*buffers, inSeven, 25.0, offset, 0.0);
    EXPECT_EQ(guess.Nearest, nullptr);
    EXPECT_FALSE(IsOtherBuffer(guess, 4.0096));
}
