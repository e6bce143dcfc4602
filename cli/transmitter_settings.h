// Everything qx7ctl reads from a transmitter before it reports, saves or compares it.
#pragma once

#include <cstdint>
#include <string>

#include "calibration/sensor_list.h"
#include "calibration/temperature_polynomial.h"
#include "link/transmitter_link.h"

// The name a sensor has in files and reports when no sensor of the list matches.
constexpr const char* UnknownSensor = "unknown";

struct TransmitterSettings {
    // What identifies the transmitter; read-only on the wire.
    std::string Identity;
    std::uint16_t Firmware = 0;
    std::int32_t SerialNumber = 0;
    std::uint8_t OutputType = 0;
    // What a technician sets.
    std::uint8_t ProbeKind = 0;
    std::uint8_t InputDamping = 0;
    std::uint8_t TemperatureDamping = 0;
    float RangeMin = 0.0f;
    float RangeMax = 0.0f;
    std::string Sensor;
    TemperaturePolynomial Polynomial;
    // What belongs to the probe and its last calibration.
    float Offset = 0.0f;
    float Sensitivity = 0.0f;
    std::uint32_t CalibrationDate = 0;
};

// Opens the port and insists on a QX7: CommandFailure with exit code 1 when the port does not
// open or nothing answers, 3 with the identity received when another device answers.
void ConnectTransmitter(TransmitterLink& link, const std::string& port);

// Reads every setting in the window program's order; CommandFailure (exit code 1) naming the
// first setting that got no answer.
TransmitterSettings ReadSettings(Transmitter& link, const SensorList& sensors);

// The English name of an output type byte (its low two bits) and of a probe kind (low bit).
const char* OutputTypeName(std::uint8_t type);
const char* ProbeKindName(std::uint8_t kind);
