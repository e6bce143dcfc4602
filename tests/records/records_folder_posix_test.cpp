#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "records/records_folder.h"

namespace {

// Sets the variables for one test and puts the previous values back.
class Environment {
  public:
    void Set(const char* name, const char* value) {
        const char* before = std::getenv(name);
        Saved.push_back({name, before != nullptr, before != nullptr ? before : ""});
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~Environment() {
        for (auto it = Saved.rbegin(); it != Saved.rend(); ++it) {
            if (it->WasSet) {
                setenv(it->Name.c_str(), it->Value.c_str(), 1);
            } else {
                unsetenv(it->Name.c_str());
            }
        }
    }

  private:
    struct Variable {
        std::string Name;
        bool WasSet;
        std::string Value;
    };
    std::vector<Variable> Saved;
};

TEST(RecordsFolder, QX7RecordsWinsOverTheUsersDataFolder) {
    Environment environment;
    environment.Set("XDG_DATA_HOME", "/data");
    environment.Set("QX7_RECORDS", "/mnt/team/qx7");
    EXPECT_EQ(RecordsFolder(), "/mnt/team/qx7");
    environment.Set("QX7_RECORDS", "");
    EXPECT_EQ(RecordsFolder(), "/data/qx7/records");
}

TEST(RecordsFolder, TheDataFolderFollowsXdgDataHomeElseHome) {
    Environment environment;
    environment.Set("QX7_RECORDS", nullptr);
    environment.Set("HOME", "/home/novak");
    environment.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(RecordsFolder(), "/home/novak/.local/share/qx7/records");
    environment.Set("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(RecordsFolder(), "/home/novak/.local/share/qx7/records");
    environment.Set("HOME", nullptr);
    EXPECT_EQ(RecordsFolder(), "");
}

}  // namespace
