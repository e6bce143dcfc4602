// The port list read from the registry's serial device map of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_list.h"

namespace {

const char* const MapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::vector<std::string> Names(const PortList& ports) {
    std::vector<std::string> names;
    ports.ForEach([&](void* item) { names.emplace_back(static_cast<char*>(item)); });
    return names;
}

struct MapValue {
    std::string Name;
    std::string Data;
    // Some drivers store the port name without its NUL. Wine completes a string value with
    // its NUL when it enumerates it, so such a name is stored as bare bytes here: they reach
    // the list as an unterminated string does on Windows, with their length as data size.
    bool Terminated = true;
};

// Replaces the device map with the given value names and data. Wine fills the map again when
// its server starts, so nothing here outlives the test run.
void WriteMap(const std::vector<MapValue>& values) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MapKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, MapKey, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& value : values) {
        ASSERT_EQ(
            RegSetValueExA(key, value.Name.c_str(), 0, value.Terminated ? REG_SZ : REG_BINARY,
                           reinterpret_cast<const BYTE*>(value.Data.c_str()),
                           static_cast<DWORD>(value.Data.size() + (value.Terminated ? 1 : 0))),
            ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

std::vector<std::string> BuiltNames() {
    PortList* ports = BuildPortList();
    std::vector<std::string> names = Names(*ports);
    ports->Free();
    return names;
}

TEST(PortListFromRegistry, ListsThePortNamesShortestFirstAndEachOnce) {
    WriteMap({{"\\Device\\Serial9", "COM10"},
              {"\\Device\\Serial1", "COM2"},
              {"\\Device\\Serial0", "COM1"},
              {"\\Device\\Serial10", "COM11"},
              {"\\Device\\VCP0", "COM2"}});
    EXPECT_EQ(BuiltNames(), (std::vector<std::string>{"COM1", "COM2", "COM10", "COM11"}));
}

TEST(PortListFromRegistry, LeavesOutNamesTheMainWindowCannotOpen) {
    WriteMap({{"\\Device\\Serial0", "COM1"},
              {"\\Device\\Serial1", "COM12345"},  // eight characters
              {"\\Device\\Serial2", "COM1234"},
              {"\\Device\\Serial3", ""},
              {std::string(80, 'n'), "COM5"}});  // a value name longer than 63
    EXPECT_EQ(BuiltNames(), (std::vector<std::string>{"COM1", "COM1234"}));
}

TEST(PortListFromRegistry, NamesStoredWithoutTheirNulAreListedUpToSevenCharacters) {
    WriteMap({{"\\Device\\Serial0", "COM3", false},
              {"\\Device\\Serial1", "COM4567", false},
              {"\\Device\\Serial2", "COM12345", false},  // eight characters
              {"\\Device\\Serial3", "", false},
              {"\\Device\\Serial4", "COM2"}});
    EXPECT_EQ(BuiltNames(), (std::vector<std::string>{"COM2", "COM3", "COM4567"}));
}

TEST(PortListFromRegistry, MissingMapGivesAnEmptyList) {
    WriteMap({});
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MapKey);
    EXPECT_TRUE(BuiltNames().empty());
}

}  // namespace
