#include "link/port_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const PortList& ports) {
    std::vector<std::string> names;
    ports.ForEach([&](void* item) { names.emplace_back(static_cast<char*>(item)); });
    return names;
}

TEST(PortList, ShorterNamesComeFirstAndEachNameOnce) {
    PortList ports;
    for (const char* name : {"COM10", "COM2", "COM1", "COM11", "COM2", "COM3"}) {
        char* copy = NewString(name);
        std::int32_t before = ports.GetCount();
        ports.Insert(copy);
        if (ports.GetCount() == before) {
            ports.FreeItem(copy);
        }
    }
    EXPECT_EQ(Names(ports), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM10", "COM11"}));
}

TEST(PortList, StartsWithRoomForTenGrowingByFive) {
    PortList ports;
    EXPECT_EQ(ports.GetLimit(), 10);
    EXPECT_EQ(ports.GetDelta(), 5);
    EXPECT_FALSE(ports.Duplicates);
}

TEST(PortList, BuiltListIsSortedAndFitsTheMainWindow) {
    PortList* ports = BuildPortList();
    ASSERT_NE(ports, nullptr);
    std::vector<std::string> names = Names(*ports);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_LE(names[i].size(), 7u);
        if (i > 0) {
            EXPECT_LT(ports->Compare(names[i - 1].c_str(), names[i].c_str()), 0);
        }
    }
    ports->Free();
}

}  // namespace
