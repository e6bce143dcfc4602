#include "calibration/sensor_list.h"

#include "calibration/coefficient_block_codec.h"
#include "calibration/pt1000_sensor.h"
#include "calibration/pt100_sensor.h"

SensorList* CreateSensorList() {
    SensorList* list = new SensorList;
    list->Insert(new Pt100Sensor);
    list->Insert(new Pt1000Sensor);
    return list;
}

TempSensor* FindSensor(const SensorList& sensors, std::uint8_t degree,
                       const CoefficientBlock& block) {
    float reported[InverseCoefficientCount];
    DecodeCoefficientBlock(block, reported);
    void* match = sensors.FirstThat([&](void* item) {
        const TempSensor* sensor = static_cast<const TempSensor*>(item);
        if (degree != sensor->InverseDegree) {
            return false;
        }
        for (int i = 0; i < InverseCoefficientCount; ++i) {
            if (!(reported[i] == sensor->InverseCoefficients[i])) {
                return false;
            }
        }
        return true;
    });
    return static_cast<TempSensor*>(match);
}
