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

// Insists on a serial device, then on a QX7, reading the identity with `retries` more tries.
// CommandFailure with exit code 2 for a port name that is no serial device (nothing is
// written to it), 4 when the port does not open (naming the device path and the reason) or
// nothing answers, 3 with the identity received when another device answers.
void ConnectTransmitter(TransmitterLink& link, const std::string& port, int retries);

// Reads every setting in the window program's order, each with `retries` more tries;
// CommandFailure (exit code 4) naming the first setting that got no answer, or with the
// signal's exit code when a stop was requested.
TransmitterSettings ReadSettings(Transmitter& link, const SensorList& sensors, int retries);

// The English name of an output type byte, or "unknown" with the byte.
std::string OutputTypeName(std::uint8_t type);
const char* ProbeKindName(std::uint8_t kind);
