// A run-time error of a window program is shown in a message box before the program ends with
// the error's number.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/app/driver/program_process.h"
#include "tests/app/driver/user_input.h"
#include "tests/app/driver/window_inspector.h"

namespace {

TEST(RunErrorReport, AWindowProgramShowsTheErrorNumberAndExitsWithIt) {
    char path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    std::string program(path);
    program = program.substr(0, program.find_last_of("\\/") + 1) + "run_error_window_program.exe";
    ProgramProcess process;
    ASSERT_TRUE(process.Start("\"" + program + "\""));

    MessageBoxInfo box;
    ASSERT_TRUE(driver::FindMessageBox(process.Id(), 60000, box));
    EXPECT_NE(box.Text.find("213"), std::string::npos) << box.Text;
    DWORD exitCode = 0;
    EXPECT_FALSE(process.WaitForExit(0, exitCode)) << "the program waits for the user";
    ASSERT_NE(driver::CloseMessageBox(box), Delivery::Failed);
    ASSERT_TRUE(process.WaitForExit(15000, exitCode));
    EXPECT_EQ(exitCode, 213u);
}

}  // namespace
