#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "calibration/coefficient_block_codec.h"
#include "calibration/eval_polynomial32.h"
#include "calibration/pt1000_sensor.h"
#include "calibration/pt100_sensor.h"
#include "calibration/sensor_list.h"
#include "calibration/sensor_settings.h"
#include "tests/support/memory_transmitter.h"

namespace {

struct ListDeleter {
    void operator()(SensorList* list) const { list->Free(); }
};
using SensorListPtr = std::unique_ptr<SensorList, ListDeleter>;

const std::uint8_t Pt100Block[20] = {0x31, 0xCE, 0x75, 0xC3, 0x23, 0xE5, 0x16, 0x40, 0xB3, 0x79,
                                     0x83, 0x3A, 0,    0,    0,    0,    0,    0,    0,    0};
const std::uint8_t Pt1000Block[20] = {0x31, 0xCE, 0x75, 0xC3, 0x9F, 0x6E, 0x71, 0x3E, 0xDB, 0x49,
                                      0x28, 0x37, 0,    0,    0,    0,    0,    0,    0,    0};

CoefficientBlock BlockOf(const std::uint8_t (&bytes)[20]) {
    CoefficientBlock block;
    std::memcpy(block.Bytes, bytes, sizeof block.Bytes);
    return block;
}

TEST(TempSensor, Pt100ResistanceFollowsCallendarVanDusenOnBothSidesOfZero) {
    Pt100Sensor pt100;
    EXPECT_NEAR(pt100.ResistanceAt(-200.0f), 18.520081, 0.5e-6);
    EXPECT_NEAR(pt100.ResistanceAt(-100.0f), 60.255840, 0.5e-6);
    EXPECT_NEAR(pt100.ResistanceAt(-20.0f), 92.159897, 0.5e-6);
    EXPECT_NEAR(pt100.ResistanceAt(25.0f), 109.734657, 0.5e-6);
    EXPECT_NEAR(pt100.ResistanceAt(100.0f), 138.505493, 0.5e-6);
}

TEST(TempSensor, JustBelowZeroTheCubicTermOfTheLowerBranchApplies) {
    Pt100Sensor pt100;
    EXPECT_NEAR(pt100.ResistanceAt(-0.5f), 99.804573, 0.5e-6);
}

TEST(TempSensor, AtZeroTheResistanceIsExactlyTheNominalOne) {
    Pt100Sensor pt100;
    Pt1000Sensor pt1000;
    EXPECT_EQ(pt100.ResistanceAt(0.0f), 100.0f);
    EXPECT_EQ(pt1000.ResistanceAt(0.0f), 1000.0f);
    EXPECT_EQ(pt100.ResistanceAt(-0.0f), 100.0f);
}

TEST(TempSensor, Pt1000GivesTenTimesThePt100Resistance) {
    Pt100Sensor pt100;
    Pt1000Sensor pt1000;
    EXPECT_NEAR(pt1000.ResistanceAt(-20.0f), 921.598999, 0.5e-6);
    EXPECT_NEAR(pt1000.ResistanceAt(100.0f), 1385.055054, 0.5e-6);
    for (float t : {-200.0f, -100.0f, -0.5f, 25.0f}) {
        EXPECT_FLOAT_EQ(pt1000.ResistanceAt(t), 10.0f * pt100.ResistanceAt(t)) << t;
    }
}

TEST(TempSensor, NanTemperatureGivesNanResistance) {
    Pt100Sensor pt100;
    EXPECT_TRUE(std::isnan(pt100.ResistanceAt(std::nanf(""))));
}

TEST(SensorList, HoldsPt100ThenPt1000) {
    SensorListPtr sensors(CreateSensorList());
    ASSERT_EQ(sensors->GetCount(), 2);
    EXPECT_STREQ(sensors->ItemAt(0)->Name, "Pt100 (3850)");
    EXPECT_STREQ(sensors->ItemAt(1)->Name, "Pt1000 (3850)");
    EXPECT_EQ(sensors->ItemAt(-1), nullptr);
    EXPECT_EQ(sensors->ItemAt(2), nullptr);
}

TEST(InversePolynomial, TurnsResistanceIntoTheTransmittersTemperature) {
    Pt100Sensor pt100;
    Pt1000Sensor pt1000;
    const float ohms[] = {100.0f, 109.734657f, 138.505493f};
    const double celsius[] = {-0.0011, 24.9986, 99.9967};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(EvalPolynomial32(pt100.InverseCoefficients, 2, ohms[i]), celsius[i], 0.5e-4);
        EXPECT_NEAR(EvalPolynomial32(pt1000.InverseCoefficients, 2, 10.0f * ohms[i]), celsius[i],
                    0.5e-4);
    }
}

TEST(SensorSettings, CarryTheTwoResistancesTheBlockByteForByteAndTheDegree) {
    SensorSettings pt100 = SensorSettingsOf(Pt100Sensor());
    EXPECT_NEAR(pt100.LowResistance, 92.159897, 0.5e-6);
    EXPECT_NEAR(pt100.HighResistance, 138.505493, 0.5e-6);
    EXPECT_EQ(0, std::memcmp(pt100.Coefficients.Bytes, Pt100Block, 20));
    EXPECT_EQ(pt100.Degree, 2);

    SensorSettings pt1000 = SensorSettingsOf(Pt1000Sensor());
    EXPECT_NEAR(pt1000.LowResistance, 921.598999, 0.5e-6);
    EXPECT_NEAR(pt1000.HighResistance, 1385.055054, 0.5e-6);
    EXPECT_EQ(0, std::memcmp(pt1000.Coefficients.Bytes, Pt1000Block, 20));
    EXPECT_EQ(pt1000.Degree, 2);
}

TEST(SensorSettings, AreWrittenLowHighCoefficientsDegreeEvenWhenTheFirstWriteFails) {
    MemoryTransmitter transmitter;
    transmitter.FailingCommands = {Command::SensorLowResistance};
    EXPECT_FALSE(WriteSensorSettings(transmitter, SensorSettingsOf(Pt1000Sensor())));
    EXPECT_EQ(transmitter.Log, (std::vector<std::uint8_t>{
                                   Command::SensorLowResistance, Command::SensorHighResistance,
                                   Command::SensorCoefficients, Command::SensorDegree}));
    EXPECT_EQ(transmitter.SensorLowResistance, 0.0f);
    EXPECT_NEAR(transmitter.SensorHighResistance, 1385.055054, 0.5e-6);
    EXPECT_EQ(0, std::memcmp(transmitter.SensorCoefficients.Bytes, Pt1000Block, 20));
    EXPECT_EQ(transmitter.SensorDegree, 2);
}

TEST(SensorSettings, WrittenSettingsAreRecognisedAsTheSameSensor) {
    MemoryTransmitter transmitter;
    SensorListPtr sensors(CreateSensorList());
    EXPECT_TRUE(WriteSensorSettings(transmitter, SensorSettingsOf(*sensors->ItemAt(1))));
    EXPECT_EQ(FindSensor(*sensors, transmitter.SensorDegree, transmitter.SensorCoefficients),
              sensors->ItemAt(1));
}

TEST(FindSensor, RecognisesEachSensorByDegreeAndBlock) {
    SensorListPtr sensors(CreateSensorList());
    EXPECT_EQ(FindSensor(*sensors, 2, BlockOf(Pt100Block)), sensors->ItemAt(0));
    EXPECT_EQ(FindSensor(*sensors, 2, BlockOf(Pt1000Block)), sensors->ItemAt(1));
}

TEST(FindSensor, RejectsAnotherDegreeOrAnyFlippedBit) {
    SensorListPtr sensors(CreateSensorList());
    EXPECT_EQ(FindSensor(*sensors, 3, BlockOf(Pt1000Block)), nullptr);
    // Every bit of the three nonzero coefficients, and every bit but the sign of the zeros.
    for (int bit = 0; bit < 160; ++bit) {
        CoefficientBlock block = BlockOf(Pt1000Block);
        block.Bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        const bool signOfZero = bit >= 96 && bit % 32 == 31;
        EXPECT_EQ(FindSensor(*sensors, 2, block), signOfZero ? sensors->ItemAt(1) : nullptr)
            << "bit " << bit;
    }
}

TEST(FindSensor, NegativeZeroEqualsZeroButNanNeverMatches) {
    SensorListPtr sensors(CreateSensorList());
    const Pt100Sensor pt100;
    float coefficients[5];
    std::memcpy(coefficients, pt100.InverseCoefficients, sizeof coefficients);
    coefficients[3] = -0.0f;
    coefficients[4] = -0.0f;
    EXPECT_EQ(FindSensor(*sensors, 2, EncodeCoefficientBlock(coefficients)), sensors->ItemAt(0));

    coefficients[4] = std::nanf("");
    EXPECT_EQ(FindSensor(*sensors, 2, EncodeCoefficientBlock(coefficients)), nullptr);
}

}  // namespace
