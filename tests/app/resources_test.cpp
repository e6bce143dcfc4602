// The compiled resources carry the dialog layouts and the icon the program is built around.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "objects/build_version.h"
#include "resources/resource_ids.h"
#include "tests/app/dialog_template.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDialogStyle = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kPushButton = kChild | BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP;
constexpr DWORD kCheckBox = kChild | BS_AUTOCHECKBOX | WS_DISABLED | WS_GROUP | WS_TABSTOP;
constexpr DWORD kValue = kChild | SS_RIGHT | WS_BORDER;
constexpr DWORD kDropDownList = kChild | CBS_DROPDOWNLIST | WS_GROUP | WS_TABSTOP;
constexpr DWORD kStandardEdit = kChild | ES_RIGHT | WS_BORDER | WS_GROUP | WS_TABSTOP;

struct ExpectedItem {
    WORD Id;
    const char* ClassName;
    const char* Text;  // Windows-1250 bytes
    DWORD Style;
    short X, Y, W, H;
};

struct ExpectedDialog {
    int Id;
    const char* Title;
    short X, Y, W, H;
    std::vector<ExpectedItem> Items;
};

const ExpectedDialog kProbeType = {
    QX7_DIALOG_PROBE_TYPE,
    "Sonda",
    101,
    50,
    105,
    39,
    {
        {1, "BUTTON", "OK", kPushButton, 27, 22, 50, 12},
        {0, "STATIC", "Typ", kChild | SS_LEFT, 5, 7, 15, 9},
        {101, "COMBOBOX", "", kDropDownList, 25, 5, 75, 80},
    },
};

const ExpectedDialog kCalibration = {
    QX7_DIALOG_CALIBRATION,
    "Kalibrace",
    38,
    50,
    230,
    128,
    {
        {1, "BUTTON", "OK", kPushButton, 90, 111, 50, 12},
        {0, "STATIC", "Sonda", kChild | SS_LEFT, 5, 6, 22, 9},
        {101, "STATIC", "", kValue, 32, 5, 65, 12},
        {0, "STATIC", "[°C]", kChild | SS_LEFT, 115, 6, 12, 9},
        {102, "STATIC", "", kValue, 132, 5, 25, 12},
        {0, "STATIC", "[mV]", kChild | SS_LEFT, 175, 6, 15, 9},
        {103, "STATIC", "", kValue, 195, 5, 30, 12},
        {0, "BUTTON", "", kChild | BS_GROUPBOX, 5, 17, 220, 37},
        {104, "BUTTON", "Předvolba", kCheckBox, 10, 25, 50, 9},
        {0, "STATIC", "Normál", kChild | SS_CENTER, 65, 25, 40, 9},
        {0, "STATIC", "Teplota", kChild | SS_CENTER, 110, 25, 40, 9},
        {0, "STATIC", "Napětí", kChild | SS_CENTER, 155, 25, 40, 9},
        {105, "COMBOBOX", "", kDropDownList | WS_DISABLED, 10, 37, 50, 80},
        {106, "EDIT", "", kStandardEdit, 65, 37, 40, 12},
        {107, "STATIC", "", kValue, 110, 37, 40, 12},
        {108, "STATIC", "", kValue, 155, 37, 40, 12},
        {109, "BUTTON", "1", kPushButton | WS_DISABLED, 200, 37, 20, 12},
        {0, "BUTTON", "", kChild | BS_GROUPBOX, 5, 54, 220, 37},
        {110, "BUTTON", "Předvolba", kCheckBox, 10, 62, 50, 9},
        {0, "STATIC", "Normál", kChild | SS_CENTER, 65, 62, 40, 9},
        {0, "STATIC", "Teplota", kChild | SS_CENTER, 110, 62, 40, 9},
        {0, "STATIC", "Napětí", kChild | SS_CENTER, 155, 62, 40, 9},
        {111, "COMBOBOX", "", kDropDownList | WS_DISABLED, 10, 74, 50, 80},
        {112, "EDIT", "", kStandardEdit, 65, 74, 40, 12},
        {113, "STATIC", "", kValue, 110, 74, 40, 12},
        {114, "STATIC", "", kValue, 155, 74, 40, 12},
        {115, "BUTTON", "2", kPushButton | WS_DISABLED, 200, 74, 20, 12},
        {116, "msctls_progress32", "", kChild | WS_GROUP, 5, 96, 220, 10},
    },
};

// Window classes are matched without regard to case, and the resource compiler writes the
// names of registered classes in capitals.
std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

INT_PTR CALLBACK PlainDialogProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class DialogTemplates : public testing::TestWithParam<const ExpectedDialog*> {};

TEST_P(DialogTemplates, HoldTheLayoutItemForItem) {
    const ExpectedDialog& expected = *GetParam();
    DialogTemplate dialog;
    ASSERT_TRUE(dialog.Load(GetModuleHandleA(nullptr), expected.Id));

    EXPECT_EQ(dialog.Style, kDialogStyle);
    EXPECT_EQ(dialog.ExStyle, 0u);
    EXPECT_FALSE(dialog.HasFont) << "the dialogs use the system font";
    EXPECT_FALSE(dialog.HasMenu);
    EXPECT_FALSE(dialog.HasClass);
    EXPECT_EQ(dialog.Title, expected.Title);
    EXPECT_EQ(dialog.X, expected.X);
    EXPECT_EQ(dialog.Y, expected.Y);
    EXPECT_EQ(dialog.W, expected.W);
    EXPECT_EQ(dialog.H, expected.H);

    ASSERT_EQ(dialog.Items.size(), expected.Items.size());
    for (size_t i = 0; i < expected.Items.size(); ++i) {
        const DialogTemplateItem& item = dialog.Items[i];
        const ExpectedItem& want = expected.Items[i];
        SCOPED_TRACE("item " + std::to_string(i) + ", id " + std::to_string(want.Id));
        EXPECT_EQ(item.Id, want.Id);
        EXPECT_EQ(Upper(item.ClassName), Upper(want.ClassName));
        EXPECT_EQ(item.Text, want.Text);
        EXPECT_EQ(item.Style, want.Style) << std::hex << item.Style << " != " << want.Style;
        EXPECT_EQ(item.ExStyle, 0u);
        EXPECT_EQ(item.X, want.X);
        EXPECT_EQ(item.Y, want.Y);
        EXPECT_EQ(item.W, want.W);
        EXPECT_EQ(item.H, want.H);
    }
}

// The system builds the dialog from the template: every control exists in template order,
// with its Czech text in the program's code page and at the template's place.
TEST_P(DialogTemplates, BuildADialogWithTheCzechTexts) {
    ASSERT_EQ(GetACP(), 1250u) << "the tests run in the Czech locale";
    const ExpectedDialog& expected = *GetParam();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.Id),
                                     nullptr, PlainDialogProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), expected.Title);

    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, expected.Items.size());
        const ExpectedItem& want = expected.Items[index];
        SCOPED_TRACE("item " + std::to_string(index) + ", id " + std::to_string(want.Id));
        EXPECT_EQ(GetDlgCtrlID(child), want.Id);
        EXPECT_EQ(Upper(ClassOf(child)), Upper(want.ClassName));
        if (std::string(want.ClassName) != "COMBOBOX") {
            EXPECT_EQ(WindowText(child), want.Text);
        }
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, (want.Style & WS_DISABLED) == 0);

        // The system converts position and size separately, so their rounding adds up.
        RECT place = {want.X, want.Y, want.W, want.H};
        ASSERT_TRUE(MapDialogRect(dialog, &place));
        place.right += place.left;
        place.bottom += place.top;
        RECT actual;
        ASSERT_TRUE(GetWindowRect(child, &actual));
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, place.left);
        EXPECT_EQ(actual.top, place.top);
        EXPECT_EQ(actual.right, place.right);
        // A closed combo box is as high as its edit part; the template gives the list's height.
        if (std::string(want.ClassName) != "COMBOBOX") {
            EXPECT_EQ(actual.bottom, place.bottom);
        }
    }
    EXPECT_EQ(index, expected.Items.size());
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(ProbeTypeAndCalibration, DialogTemplates,
                         testing::Values(&kProbeType, &kCalibration),
                         [](const testing::TestParamInfo<const ExpectedDialog*>& info) {
                             return std::string(info.param->Id == QX7_DIALOG_PROBE_TYPE
                                                    ? "ProbeType"
                                                    : "Calibration");
                         });

TEST(ProgramIcon, OffersSixteenThirtyTwoAndFortyEightPixels) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(QX7_ICON), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    // The group directory: reserved, type, count, then 14-byte entries starting with the width.
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    std::vector<int> widths;
    for (WORD i = 0; i < count; ++i) {
        widths.push_back(directory[6 + 14 * i]);
    }
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48}));

    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        HANDLE icon =
            LoadImageA(module, MAKEINTRESOURCEA(QX7_ICON), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap = {};
        ASSERT_NE(GetObjectA(info.hbmColor, sizeof bitmap, &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

// The resource carries the build's version: its text in full, and in the four words of the
// fixed part its major, minor and patch numbers and the count of commits after the tag.
TEST(ProgramVersion, NamesTheProductAndTheBuildsVersion) {
    unsigned major = 0, minor = 0, patch = 0, commits = 0;
    ASSERT_GE(std::sscanf(BuildVersion(), "%u.%u.%u-%u", &major, &minor, &patch, &commits), 3);

    char path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);
    EXPECT_EQ(fixed->dwFileVersionLS, patch << 16 | commits);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    for (const char* name : {"FileVersion", "ProductVersion"}) {
        SCOPED_TRACE(name);
        char* version = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(),
                                   (std::string("\\StringFileInfo\\040504E2\\") + name).c_str(),
                                   reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, BuildVersion());
    }
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040504E2\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "QX7 config");
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
