// Texts are written in UTF-8 and stored as Windows-1250: the bytes the compiler stores are the
// ones the system's tables give, the same the resource script is converted to.
#include <gtest/gtest.h>

#include <string>

#include "framework/number_text.h"
#include "tests/support/windows_1250.h"

namespace {

TEST(Windows1250, TheCompilerStoresEveryCzechLetterAsTheSystemConvertsIt) {
    EXPECT_EQ(std::string("Příliš žluťoučký kůň úpěl ďábelské ódy"),
              Windows1250(u8"Příliš žluťoučký kůň úpěl ďábelské ódy"));
    EXPECT_EQ(std::string("PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"),
              Windows1250(u8"PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"));
    EXPECT_EQ(std::string("Teplota [°C]"), Windows1250(u8"Teplota [°C]"));
    // One byte per letter: the text is not left in UTF-8.
    EXPECT_EQ(std::string("ěščřžýáíéůú").size(), 11u);
}

TEST(Windows1250, TheOutputKindNamesAreStoredAsWindows1250) {
    EXPECT_EQ(OutputKindName(0), Windows1250(u8"Pasivní 4 až 20 mA"));
    EXPECT_EQ(OutputKindName(1), Windows1250(u8"Aktivní 0 až 20 mA"));
    EXPECT_EQ(OutputKindName(2), Windows1250(u8"Aktivní 0 až 5 V"));
    EXPECT_EQ(OutputKindName(3), Windows1250(u8"Aktivní 0 až 10 V"));
}

TEST(Windows1250, ATextWithoutWindows1250BytesIsNotConverted) {
    // Outside the assertion, whose own text of its arguments must be Windows-1250 too.
    const char* greek = u8"Ελλάδα";
    EXPECT_EQ(Windows1250(greek), NoWindows1250Form);
    EXPECT_EQ(Windows1250(u8"€"), std::string("€"));
}

}  // namespace
