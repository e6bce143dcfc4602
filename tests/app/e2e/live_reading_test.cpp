// "Číst": the live values read at once and then every second, faults shown as words in white
// on red, and the reading stopped by the box or by closing the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/driver/simulator_control.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"
#include "tests/app/e2e/config_program.h"
#include "tests/app/e2e/line_watch.h"
#include "tests/app/e2e/main_window_places.h"
#include "tests/app/e2e/serial_port_map.h"

namespace {

const std::vector<int> kPollRequests = {38, 39, 40, 41, 42};
constexpr COLORREF kRed = RGB(0xFF, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kLightGrey = RGB(0xC0, 0xC0, 0xC0);

class LiveReading : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Transmitter.Send("reset"));
        ASSERT_TRUE(SerialPortMap::Replace({"COM7"}));
        ASSERT_TRUE(Program.Start());
        LineWatch line;
        line.Mark();
        ASSERT_EQ(driver::ChooseComboText(Program.Control(place::PortBox), "COM7", 15000),
                  Delivery::Handled);
        ASSERT_TRUE(line.WaitForCount(19, 20000)) << line.Summary();
        ASSERT_EQ(Program.TextAt(place::Identity), "QX7");
    }

    Delivery ClickRead() { return driver::Click(Program.Control(place::ReadCheck)); }

    std::string Text(size_t place) const { return Program.TextAt(place); }

    // The field's inside, without its sunken border.
    RECT Inside(size_t place) const {
        RECT rect = driver::Describe(Program.ChildAt(place)).Rect;
        InflateRect(&rect, -3, -3);
        return rect;
    }

    // The background left of the right-aligned text.
    COLORREF Background(size_t place) const {
        const RECT inside = Inside(place);
        return driver::WindowPixel(Program.Window(), inside.left + 1,
                                   (inside.top + inside.bottom) / 2);
    }

    bool ShowsColour(size_t place, COLORREF colour) const {
        const RECT inside = Inside(place);
        for (int y = inside.top; y < inside.bottom; ++y) {
            for (int x = inside.left; x < inside.right; ++x) {
                if (driver::WindowPixel(Program.Window(), x, y) == colour) {
                    return true;
                }
            }
        }
        return false;
    }

    static std::vector<unsigned long> TimesOf(const std::vector<LoggedFrame>& frames, int code) {
        std::vector<unsigned long> times;
        for (const LoggedFrame& frame : frames) {
            if (frame.Code() == code) {
                times.push_back(frame.Milliseconds);
            }
        }
        return times;
    }

    ConfigProgram Program;
    SimulatorControl Transmitter;
};

TEST_F(LiveReading, ReadsAtOnceThenEverySecondUntilUnchecked) {
    LineWatch line;
    line.Mark();
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    EXPECT_EQ(line.Codes(), kPollRequests) << "the first reading is part of the click";

    // The first reading and three ticks.
    ASSERT_TRUE(line.WaitForCount(4 * kPollRequests.size(), 20000)) << line.Summary();
    const std::vector<LoggedFrame> frames = line.Frames();
    const std::vector<unsigned long> polls = TimesOf(frames, 38);
    ASSERT_GE(polls.size(), 4u);
    // A tick is never early, so however busy the machine, the polls are on average at least
    // most of a second apart; how close to a second they come is the benchmark's figure.
    const unsigned long span = polls.back() - polls.front();
    EXPECT_GE(static_cast<double>(span) / static_cast<double>(polls.size() - 1), 900.0);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].Code(), kPollRequests[i % kPollRequests.size()]) << "request " << i;
    }

    ASSERT_EQ(ClickRead(), Delivery::Handled);
    EXPECT_EQ(driver::CheckState(Program.Control(place::ReadCheck)), BST_UNCHECKED);
    line.Mark();
    Sleep(2500);
    EXPECT_TRUE(line.Codes().empty());
}

TEST_F(LiveReading, ASecondNotificationOfTheCheckedBoxStartsNothingMore) {
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    // Right after a tick the next one is a second away, so whatever the notification sends
    // is its own doing.
    LineWatch line;
    line.Mark();
    ASSERT_TRUE(line.WaitForCount(kPollRequests.size(), 20000)) << line.Summary();
    line.Mark();
    DWORD_PTR result = 0;
    ASSERT_NE(
        SendMessageTimeoutA(Program.Window(), WM_COMMAND, MAKEWPARAM(place::ReadCheck, BN_CLICKED),
                            reinterpret_cast<LPARAM>(Program.Control(place::ReadCheck)),
                            SMTO_NORMAL, driver::kHandlerWait, &result),
        0);
    EXPECT_TRUE(line.Codes().empty());
    EXPECT_EQ(driver::CheckState(Program.Control(place::ReadCheck)), BST_CHECKED);
}

TEST_F(LiveReading, FaultyReadingsShowAsWordsInWhiteOnRedUntilTheNextGoodOne) {
    EXPECT_EQ(Background(place::Resistance), kLightGrey);
    ASSERT_TRUE(Transmitter.Send("fault pattern on 38,39"));
    ASSERT_EQ(ClickRead(), Delivery::Handled);

    EXPECT_EQ(Text(place::Resistance), "Porucha");
    EXPECT_EQ(Text(place::Temperature), "Neplatná");
    for (size_t field : {place::Resistance, place::Temperature}) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Background(field) == kRed; }, 20000))
            << "field #" << field + 1;
        EXPECT_TRUE(ShowsColour(field, kWhite)) << "white text in field #" << field + 1;
    }
    EXPECT_EQ(Background(place::Voltage), kLightGrey) << "only the two fault fields turn red";

    ASSERT_TRUE(Transmitter.Send("clear"));
    ASSERT_TRUE(driver::WaitUntil([&] { return Text(place::Resistance) == "109.73"; }, 20000));
    EXPECT_EQ(Text(place::Temperature), "25.00");
    for (size_t field : {place::Resistance, place::Temperature}) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Background(field) == kLightGrey; }, 20000))
            << "field #" << field + 1;
        EXPECT_FALSE(ShowsColour(field, kWhite)) << "field #" << field + 1;
    }
}

TEST_F(LiveReading, AnUnansweredResistanceEndsThatReading) {
    ASSERT_TRUE(Transmitter.Send("fault silent on 38 times 1"));
    LineWatch line;
    line.Mark();
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    ASSERT_TRUE(line.WaitForCount(6, 20000)) << line.Summary();
    const std::vector<int> codes = line.Codes();
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 6),
              (std::vector<int>{38, 38, 39, 40, 41, 42}));
}

// The texts of the five live fields, resistance first.
using LiveTexts = std::vector<std::string>;
const std::vector<size_t> kLiveFields = {place::Resistance, place::Temperature, place::Voltage,
                                         place::MeasuredValue, place::Ratio};
// At the simulator's start: a Pt100 at 25 degrees in pH 7, range 0 to 14.
const LiveTexts kServedAtStart = {"109.73", "25.00", "0.000", "7.000", "50.00"};
// What every live field shows once the line has given no reading for two polls.
const std::string kLineLost = "Chyba komunikace";
// After "set resistance 138.5" and "set ph 4": about 100 degrees in pH 4.
const LiveTexts kServedHotInPh4 = {"138.50", "99.98", "222.115", "4.000", "28.57"};

LiveTexts Shown(const ConfigProgram& program) {
    LiveTexts texts;
    for (size_t field : kLiveFields) {
        texts.push_back(program.TextAt(field));
    }
    return texts;
}

TEST_F(LiveReading, LateOrCopiedRepliesNeverShowInAnotherFieldAndOnTimeOnesCatchUpWithinTwoPolls) {
    auto shown = [&] { return Shown(Program); };
    ASSERT_EQ(shown(), kServedAtStart);
    // Copies, and lateness on both sides of the 200 ms time-out up to the 500 ms bound, so
    // some replies come in time, some only after it and some twice.
    ASSERT_TRUE(Transmitter.Send("fault duplicate on 38,39,40,41,42 every 7"));
    ASSERT_TRUE(Transmitter.Send("fault late 0-499 on 38,39,40,41,42"));
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    LineWatch line;
    line.Mark();
    const DWORD start = GetTickCount();
    size_t samples = 0;
    while (GetTickCount() - start < 30000) {
        const LiveTexts texts = shown();
        ++samples;
        // Two polls in a row without a resistance say that the line is lost: no value.
        for (size_t i = 0; i < kLiveFields.size(); ++i) {
            ASSERT_TRUE(texts[i] == kServedAtStart[i] || texts[i] == kLineLost)
                << "field #" << kLiveFields[i] + 1 << " shows " << texts[i] << " after "
                << GetTickCount() - start << " ms";
        }
        Sleep(20);
    }
    EXPECT_GT(samples, 0u);
    EXPECT_FALSE(line.Codes().empty()) << "the reading went on";

    // On time again, and every value changed: each field may show the old value until a poll
    // brings the new one, and never anything else.
    ASSERT_TRUE(Transmitter.Send("clear"));
    ASSERT_TRUE(Transmitter.Send("set resistance 138.5"));
    ASSERT_TRUE(Transmitter.Send("set ph 4"));
    line.Mark();
    // Every request logged from here on is answered on time with the new values. A poll is
    // over once the next one begins, and the first poll begun after the change is at most
    // the second one since it.
    const std::vector<int> onePollAndTheNext = {38, 39, 40, 41, 42, 38};
    const DWORD changed = GetTickCount();
    bool polled = false;
    while (!polled && GetTickCount() - changed < 15000) {
        const std::vector<int> codes = line.Codes();
        polled = std::search(codes.begin(), codes.end(), onePollAndTheNext.begin(),
                             onePollAndTheNext.end()) != codes.end();
        const LiveTexts texts = shown();
        for (size_t i = 0; i < kLiveFields.size(); ++i) {
            ASSERT_TRUE(texts[i] == kServedAtStart[i] || texts[i] == kServedHotInPh4[i] ||
                        texts[i] == kLineLost)
                << "field #" << kLiveFields[i] + 1 << " shows " << texts[i];
        }
        Sleep(20);
    }
    ASSERT_TRUE(polled);
    EXPECT_EQ(shown(), kServedHotInPh4);
}

TEST_F(LiveReading, ASilentLineShowsAsACommunicationErrorInEveryFieldUntilRepliesComeAgain) {
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    ASSERT_EQ(Shown(Program), kServedAtStart);
    LineWatch line;
    line.Mark();
    ASSERT_TRUE(Transmitter.Send("fault silent"));
    const LiveTexts lost(kLiveFields.size(), kLineLost);
    ASSERT_TRUE(driver::WaitUntil([&] { return Shown(Program) == lost; }, 20000));
    const std::vector<int> codes = line.Codes();
    EXPECT_GE(std::count(codes.begin(), codes.end(), 38), 2) << "not before the second silent poll";
    for (size_t field : kLiveFields) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Background(field) == kRed; }, 20000))
            << "field #" << field + 1;
        EXPECT_TRUE(ShowsColour(field, kWhite)) << "white text in field #" << field + 1;
    }

    ASSERT_TRUE(Transmitter.Send("clear"));
    ASSERT_TRUE(driver::WaitUntil([&] { return Shown(Program) == kServedAtStart; }, 20000));
    for (size_t field : kLiveFields) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Background(field) == kLightGrey; }, 20000))
            << "field #" << field + 1;
        EXPECT_FALSE(ShowsColour(field, kWhite)) << "field #" << field + 1;
    }
}

TEST_F(LiveReading, ClosingTheWindowWhileReadingEndsTheProgramCleanly) {
    LineWatch line;
    line.Mark();
    ASSERT_EQ(ClickRead(), Delivery::Handled);
    ASSERT_TRUE(line.WaitForCount(2 * kPollRequests.size(), 20000)) << line.Summary();

    DWORD exitCode = 1;
    ASSERT_TRUE(Program.Close(exitCode));
    EXPECT_EQ(exitCode, 0u);
    line.Mark();
    Sleep(1500);
    EXPECT_TRUE(line.Codes().empty());
}

}  // namespace
