#include "cli/transmitter_settings.h"

#include <cstring>

#include "calibration/coefficient_block_codec.h"
#include "cli/command_failure.h"
#include "cli/read_retry.h"
#include "cli/serial_device.h"
#include "cli/stop_signals.h"
#include "cli/value_text.h"

namespace {

template <typename Read>
void Require(int retries, const char* what, Read read) {
    const bool answered = ReadWithRetries(retries, read);
    if (StopRequested()) {
        throw CommandFailure(StopExitCode(), std::string("stopped while reading the ") + what);
    }
    if (!answered) {
        throw CommandFailure(ExitCode::Communication,
                             std::string("no valid reply when reading the ") + what);
    }
}

}  // namespace

void ConnectTransmitter(TransmitterLink& link, const std::string& port, int retries) {
    const SerialDeviceCheck check = CheckSerialDevice(port);
    switch (check.Problem) {
        case PortProblem::NotSerial:
            throw CommandFailure(ExitCode::Usage,
                                 Escaped(check.Path) + " is " + check.Reason +
                                     "; nothing was written to it (are PORT and FILE swapped?)");
        case PortProblem::CannotOpen:
            throw CommandFailure(
                ExitCode::Communication,
                "cannot open the serial port " + Escaped(check.Path) + ": " + check.Reason);
        case PortProblem::None:
            break;
    }
    if (!link.Open(port.c_str())) {
        throw CommandFailure(ExitCode::Communication,
                             "cannot open the serial port " + Escaped(check.Path));
    }
    const char* identity = nullptr;
    ReadWithRetries(retries, [&] { return (identity = link.ReadIdentity()) != nullptr; });
    if (StopRequested()) {
        throw CommandFailure(StopExitCode(), "stopped while waiting for the transmitter");
    }
    if (identity == nullptr) {
        throw CommandFailure(ExitCode::Communication,
                             "no transmitter answers on " + Escaped(check.Path));
    }
    if (std::strcmp(identity, "QX7") != 0) {
        throw CommandFailure(ExitCode::Foreign, "the device on " + Escaped(check.Path) +
                                                    " identifies as " + Quoted(identity) +
                                                    ", not as a QX7");
    }
}

TransmitterSettings ReadSettings(Transmitter& link, const SensorList& sensors, int retries) {
    TransmitterSettings s;
    s.Identity = "QX7";
    Require(retries, "firmware version", [&] { return link.ReadFirmwareVersion(s.Firmware); });
    Require(retries, "serial number", [&] { return link.ReadSerialNumber(s.SerialNumber); });
    Require(retries, "output type", [&] { return link.ReadOutputType(s.OutputType); });
    Require(retries, "probe kind", [&] { return link.ReadProbeKind(s.ProbeKind); });
    Require(retries, "calibration date",
            [&] { return link.ReadCalibrationDate(s.CalibrationDate); });
    Require(retries, "offset", [&] { return link.ReadOffset(s.Offset); });
    Require(retries, "slope", [&] { return link.ReadSensitivity(s.Sensitivity); });
    Require(retries, "input damping", [&] { return link.ReadInputDamping(s.InputDamping); });
    Require(retries, "range minimum", [&] { return link.ReadRangeMin(s.RangeMin); });
    Require(retries, "range maximum", [&] { return link.ReadRangeMax(s.RangeMax); });
    Require(retries, "sensor polynomial degree",
            [&] { return link.ReadSensorDegree(s.Polynomial.Degree); });
    CoefficientBlock block{};
    Require(retries, "sensor polynomial", [&] { return link.ReadSensorCoefficients(block); });
    DecodeCoefficientBlock(block, s.Polynomial.Coefficients);
    const TempSensor* sensor = FindSensor(sensors, s.Polynomial.Degree, block);
    s.Sensor = sensor != nullptr ? sensor->Name : UnknownSensor;
    Require(retries, "temperature damping",
            [&] { return link.ReadTemperatureDamping(s.TemperatureDamping); });
    return s;
}

std::string OutputTypeName(std::uint8_t type) {
    static const char* const names[4] = {"passive 4-20 mA", "active 0-20 mA", "active 0-5 V",
                                         "active 0-10 V"};
    return type < 4 ? names[type] : "unknown (byte " + WireBytes(type, 1) + ")";
}

const char* ProbeKindName(std::uint8_t kind) {
    switch (kind) {
        case 0:
            return "pH";
        case 1:
            return "ISE";
        default:
            return "unknown";
    }
}
