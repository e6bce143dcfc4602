// The kinds of probe the transmitter knows (command 51).
#pragma once

#include <cstdint>

constexpr std::uint8_t ProbeKindPh = 0;   // pH electrode; standards in pH
constexpr std::uint8_t ProbeKindIse = 1;  // ion-selective electrode; standards are concentrations
