// Which buffer a probe seems to be in, judged from its voltage with the slope and offset it
// has now, so a probe in the wrong bottle is caught before it is calibrated on.
#pragma once

#include "calibration/buffer_list.h"

struct BufferGuess {
    double Ph = 0.0;          // what the probe reads with its present calibration
    const PhBuffer* Nearest;  // the library buffer closest to that, at the temperature
    double NearestPh = 0.0;   // that buffer's pH at the temperature
};

// slope is the transmitter's, per pH at 25 degrees; offset the voltage at pH 7. Nearest is
// null for a slope of 0 or values that are not finite.
BufferGuess GuessBuffer(const BufferList& buffers, double voltage, double celsius, double offset,
                        double slope);

// True when the probe reads closer to another buffer of the list than to the expected pH, and
// more than half a pH from the expected one: a probe's offset may be 30 mV off, so buffers
// as close as 6.86 and 7.01 cannot be told apart, and a probe that needs calibrating must
// not be stopped by its own offset.
constexpr double BufferCheckMargin = 0.5;
bool IsOtherBuffer(const BufferGuess& guess, double expectedPh);
