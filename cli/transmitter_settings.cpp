#include "cli/transmitter_settings.h"

#include <cstring>

#include "calibration/coefficient_block_codec.h"
#include "cli/command_failure.h"
#include "cli/value_text.h"

namespace {

void Require(bool answered, const char* what) {
    if (!answered) {
        throw CommandFailure(ExitCode::Communication,
                             std::string("no valid reply when reading the ") + what);
    }
}

}  // namespace

void ConnectTransmitter(TransmitterLink& link, const std::string& port) {
    if (!link.Open(port.c_str())) {
        throw CommandFailure(ExitCode::Communication, "cannot open the serial port " + port);
    }
    const char* identity = link.ReadIdentity();
    if (identity == nullptr) {
        throw CommandFailure(ExitCode::Communication, "no transmitter answers on " + port);
    }
    if (std::strcmp(identity, "QX7") != 0) {
        throw CommandFailure(ExitCode::Foreign, "the device on " + port + " identifies as " +
                                                    Quoted(identity) + ", not as a QX7");
    }
}

TransmitterSettings ReadSettings(Transmitter& link, const SensorList& sensors) {
    TransmitterSettings settings;
    settings.Identity = "QX7";
    Require(link.ReadFirmwareVersion(settings.Firmware), "firmware version");
    Require(link.ReadSerialNumber(settings.SerialNumber), "serial number");
    Require(link.ReadOutputType(settings.OutputType), "output type");
    Require(link.ReadProbeKind(settings.ProbeKind), "probe kind");
    Require(link.ReadCalibrationDate(settings.CalibrationDate), "calibration date");
    Require(link.ReadOffset(settings.Offset), "offset");
    Require(link.ReadSensitivity(settings.Sensitivity), "slope");
    Require(link.ReadInputDamping(settings.InputDamping), "input damping");
    Require(link.ReadRangeMin(settings.RangeMin), "range minimum");
    Require(link.ReadRangeMax(settings.RangeMax), "range maximum");
    Require(link.ReadSensorDegree(settings.Polynomial.Degree), "sensor polynomial degree");
    CoefficientBlock block{};
    Require(link.ReadSensorCoefficients(block), "sensor polynomial");
    DecodeCoefficientBlock(block, settings.Polynomial.Coefficients);
    const TempSensor* sensor = FindSensor(sensors, settings.Polynomial.Degree, block);
    settings.Sensor = sensor != nullptr ? sensor->Name : UnknownSensor;
    Require(link.ReadTemperatureDamping(settings.TemperatureDamping), "temperature damping");
    return settings;
}

const char* OutputTypeName(std::uint8_t type) {
    static const char* const names[4] = {"passive 4-20 mA", "active 0-20 mA", "active 0-5 V",
                                         "active 0-10 V"};
    return names[type & 3];
}

const char* ProbeKindName(std::uint8_t kind) {
    return (kind & 1) == 0 ? "pH" : "ISE";
}
