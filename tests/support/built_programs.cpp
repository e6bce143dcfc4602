#include "tests/support/built_programs.h"

#ifndef QX7_MQTT_SINK_DRIVER_PATH
#define QX7_MQTT_SINK_DRIVER_PATH ""
#endif

const char* SimulatorProgram() {
    return QX7SIM_PATH;
}

const char* Qx7ctlProgram() {
    return QX7CTL_PATH;
}

const char* MqttSinkDriverProgram() {
    return QX7_MQTT_SINK_DRIVER_PATH;
}

const char* CertificateFolder() {
    return QX7_CERTIFICATE_DIR;
}
