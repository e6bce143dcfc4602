// The simulator's settling probe: the approach, its noise and drift on an explicit clock, and
// the control line that turns it on, through the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tools/first_order_response.h"
#include "tools/simulator_engine.h"

namespace {

float LiveFloat(SimulatorEngine& engine, std::uint8_t code) {
    const std::vector<std::uint8_t> request = {0x01, code, 0x00,
                                               static_cast<std::uint8_t>(256 - 1 - code)};
    std::vector<std::uint8_t> reply;
    EXPECT_TRUE(engine.Respond(request, reply));
    float value = 0.0f;
    // 06, length 4, the float's four bytes, checksum.
    if (reply.size() == 7) {
        std::memcpy(&value, reply.data() + 2, 4);
    }
    return value;
}

constexpr std::uint8_t VoltageCode = 40;
constexpr std::uint8_t TemperatureCode = 39;

}  // namespace

TEST(FirstOrderResponseTest, ANewTargetIsApproachedWithTheTimeConstantFromWhereTheValueWas) {
    std::mt19937 random(1);
    FirstOrderResponse response;
    response.Tau = 8.0;
    EXPECT_EQ(response.At(0.0, 4.0, random), 4.0);
    EXPECT_EQ(response.At(10.0, 4.0, random), 4.0);
    // 174 from t = 10: one time constant later 63 % of the way.
    EXPECT_NEAR(response.At(18.0, 174.0, random) - 4.0, 0.0, 1e-9);
    EXPECT_NEAR(response.At(18.0 + 8.0, 174.0, random), 174.0 - 170.0 * std::exp(-1.0), 1e-9);
    // Turning back half-way starts from the value reached.
    const double reached = 174.0 - 170.0 * std::exp(-2.0);
    EXPECT_NEAR(response.At(34.0, 4.0, random), reached, 1e-9);
    EXPECT_NEAR(response.At(42.0, 4.0, random), 4.0 + (reached - 4.0) * std::exp(-1.0), 1e-9);
}

TEST(FirstOrderResponseTest, DriftNeverSettlesAndNoiseHasItsStandardDeviation) {
    std::mt19937 random(7);
    FirstOrderResponse drifting;
    drifting.DriftPerMinute = 1.0;
    drifting.At(0.0, 100.0, random);
    EXPECT_NEAR(drifting.At(600.0, 100.0, random), 110.0, 1e-9);

    FirstOrderResponse noisy;
    noisy.Sigma = 0.1;
    double sum = 0.0;
    double squares = 0.0;
    constexpr int Count = 4000;
    for (int i = 0; i < Count; ++i) {
        const double value = noisy.At(i, 50.0, random) - 50.0;
        sum += value;
        squares += value * value;
    }
    EXPECT_NEAR(sum / Count, 0.0, 0.01);
    EXPECT_NEAR(std::sqrt(squares / Count), 0.1, 0.01);
}

TEST(ProbeSettlingTest, AfterSetPhTheVoltageAndTemperatureMoveOnlyAsFastAsTheProbe) {
    SimulatorEngine engine;
    std::string error;
    ASSERT_TRUE(engine.Apply("set offset 4", error)) << error;
    ASSERT_TRUE(engine.Apply("set sensitivity -56.8", error)) << error;
    // A time constant of days: whatever the real time between two lines, nothing moves yet.
    ASSERT_TRUE(engine.Apply("settle tau 1e6 temperature-tau 1e6", error)) << error;
    EXPECT_NEAR(LiveFloat(engine, VoltageCode), 4.0, 0.01);
    ASSERT_TRUE(engine.Apply("set ph 4.01", error)) << error;
    ASSERT_TRUE(engine.Apply("set resistance 113.608", error)) << error;  // about 35 degrees
    EXPECT_NEAR(LiveFloat(engine, VoltageCode), 4.0, 0.05);
    EXPECT_NEAR(LiveFloat(engine, TemperatureCode), 25.0, 0.01);
    // Without a time constant it is there at once, the pH and the temperature both.
    ASSERT_TRUE(engine.Apply("settle tau 0 temperature-tau 0", error)) << error;
    EXPECT_NEAR(LiveFloat(engine, TemperatureCode), 35.0, 0.05);
    const double slope = -56.8 * (35.0 + 273.15) / 298.15;
    EXPECT_NEAR(LiveFloat(engine, VoltageCode), 4.0 + slope * (4.01 - 7.0), 0.1);
    // set voltage fixes the probe's voltage whatever the pH.
    ASSERT_TRUE(engine.Apply("set voltage -12.5", error)) << error;
    EXPECT_NEAR(LiveFloat(engine, VoltageCode), -12.5, 1e-4);
    ASSERT_TRUE(engine.Apply("settle off", error)) << error;

    for (const char* bad : {"settle", "settle tau", "settle tau -1", "settle scale 0",
                            "settle speed 3", "settle tau x"}) {
        EXPECT_FALSE(engine.Apply(bad, error)) << bad;
    }
}
