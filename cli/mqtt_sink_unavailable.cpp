// A build without an MQTT client library: --mqtt is refused as a usage error, and the other
// sinks work as everywhere.
#include "cli/command_failure.h"
#include "cli/mqtt_sink.h"

bool MqttBuilt() {
    return false;
}

std::unique_ptr<LiveSink> MakeMqttSink(const MqttOptions&) {
    throw CommandFailure(ExitCode::Usage, "this build has no MQTT");
}
