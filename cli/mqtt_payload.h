// The JSON documents the MQTT sink publishes. Field names follow the OPC UA model of process
// devices (PA-DIM) where it has one; the README's MQTT section lists every topic and field.
#pragma once

#include <cstdint>
#include <string>

#include "cli/live_sink.h"

// PREFIX/SERIAL/live. The sequence number counts a transmitter's polls from 1 in one run of
// watch, so a subscriber can tell a resent message (QoS 1 delivers at least once) from a
// new one. probeKind is the last info's, or -1 before any: it gives the measured value's unit.
std::string LivePayload(const LivePoll& poll, std::uint64_t sequence, int probeKind);

// PREFIX/SERIAL/info, retained: the settings and the probe judgement.
std::string InfoPayload(const TransmitterInfo& info);
