// The sensor list of the calibration library, freed when the command ends.
#pragma once

#include <memory>

#include "calibration/sensor_list.h"

struct FreeSensorList {
    void operator()(SensorList* list) const { list->Free(); }
};
using OwnedSensorList = std::unique_ptr<SensorList, FreeSensorList>;

inline OwnedSensorList MakeSensorList() {
    return OwnedSensorList(CreateSensorList());
}
