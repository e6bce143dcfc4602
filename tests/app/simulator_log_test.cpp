// Log lines of the transmitter simulator become frames, and malformed ones are refused.
#include <gtest/gtest.h>

#include "tests/app/driver/simulator_log.h"

namespace {

TEST(SimulatorLogLine, HoldsTheTimeAndTheFrameBytes) {
    LoggedFrame frame;
    ASSERT_TRUE(SimulatorLog::ParseLine("1532 01 3E 01 0C B4", frame));
    EXPECT_EQ(frame.Milliseconds, 1532u);
    EXPECT_EQ(frame.Bytes, (std::vector<std::uint8_t>{0x01, 0x3E, 0x01, 0x0C, 0xB4}));
    EXPECT_EQ(frame.Code(), 62);
}

TEST(SimulatorLogLine, WithoutBytesOrWithOtherFieldsIsRefused) {
    LoggedFrame frame;
    for (const char* line : {"", "1532", "x 01 21", "15 1 21 00 DE", "15 01 2G", "15 01 210"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(SimulatorLog::ParseLine(line, frame));
    }
}

}  // namespace
