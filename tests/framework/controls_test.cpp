// Controls created by the framework as children of a window: their styles, their texts and
// numbers, the edit commands and the list operations.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "framework/controls.h"
#include "objects/string_collection.h"
#include "tests/framework/test_windows.h"

namespace {

// A parent window whose controls are made with it; each test adds its controls first.
class ControlsTest : public ::testing::Test {
  protected:
    void TearDown() override { Parent->Free(); }

    void CreateAll() { ASSERT_TRUE(Parent->Create()); }

    std::string TextOf(HWND window) {
        char text[64] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    RecordingWindow* Parent = new RecordingWindow(nullptr, "controls");
};

TEST_F(ControlsTest, EachControlTypeAsksForItsClassStyleAndBorder) {
    struct Expected {
        Window* Control;
        const char* ClassName;
        DWORD Style;
        DWORD ExStyle;
    };
    auto* editable = new ComboBox(Parent, 0, 0, 50, 80, 6, 0, true);
    const Expected table[] = {
        {new GroupBox(Parent, "g", 0, 0, 50, 50, 0), "Button", 0x50020007, 0},
        {new PushButton(Parent, "p", 0, 0, 50, 20, 1), "Button", 0x50030000, 0},
        {new CheckBox(Parent, "c", 0, 0, 50, 20, 2), "Button", 0x50030003, 0},
        {new StaticText(Parent, "s", 0, 0, 50, 20, 0, 0), "Static", 0x50020000, 0},
        {new EditField(Parent, "e", 0, 0, 50, 20, 3, 0, false), "Edit", 0x50030080, 0x200},
        {new EditField(Parent, "m", 0, 0, 50, 40, 4, 0, true), "Edit", 0x50331004, 0x200},
        {new ValueEdit(Parent, "", 0, 0, 50, 20, 5), "Edit", 0x50030002, 0x200},
        {new ValueDisplay(Parent, "", 0, 0, 50, 20), "Static", 0x50020002, 0x200},
        {new ListBox(Parent, 0, 0, 50, 80, 7), "Listbox", 0x50230003, 0x200},
        {new ComboBox(Parent, 0, 0, 50, 80, 8, 0, false), "Combobox", 0x50230103, 0x200},
        {editable, "Combobox", 0x50230142, 0x200},
    };
    CreateAll();
    for (const Expected& expected : table) {
        char className[32] = {};
        ::GetClassNameA(expected.Control->Handle, className, sizeof className);
        EXPECT_STRCASEEQ(className, expected.ClassName);
        EXPECT_EQ(expected.Control->Style, expected.Style) << className;
        EXPECT_EQ(expected.Control->ExStyle, expected.ExStyle) << className;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(expected.Control->Handle, GWL_STYLE)) &
                      expected.Style & ~WS_VSCROLL,
                  expected.Style & ~WS_VSCROLL)
            << className;
    }
}

TEST_F(ControlsTest, ACheckBoxTogglesWhenClickedAndFollowsSetCheck) {
    auto* check = new CheckBox(Parent, "check", 10, 10, 80, 20, 2);
    CreateAll();
    EXPECT_EQ(check->GetCheck(), 0);
    SendMessageA(check->Handle, BM_CLICK, 0, 0);
    EXPECT_EQ(check->GetCheck(), 1);
    EXPECT_EQ(Parent->ChildNotifies, std::vector<UINT>{2}) << "the click reaches the parent";
    check->SetCheck(0);
    EXPECT_EQ(check->GetCheck(), 0);
    check->SetCheck(1);
    EXPECT_EQ(check->GetCheck(), 1);

    std::int32_t state = 0;
    EXPECT_EQ(check->Transfer(&state, TransferGet), 4);
    EXPECT_EQ(state, 1);
}

TEST_F(ControlsTest, ClearTextLeavesALabelEmpty) {
    auto* label = new StaticText(Parent, "label", 10, 10, 80, 20, 0, 0);
    CreateAll();
    char text[16];
    EXPECT_EQ(label->GetText(text, sizeof text), 5);
    label->ClearText();
    EXPECT_EQ(label->GetText(text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(label->GetText(text, 0), 0);
    EXPECT_FALSE(label->IsFlagSet(FlagTransfer)) << "made by Init, it takes no part in transfer";
}

TEST_F(ControlsTest, AnEditFieldTakesOneCharacterLessThanItsBuffer) {
    auto* limited = new EditField(Parent, "", 10, 10, 200, 20, 3, 10, false);
    auto* unlimited = new EditField(Parent, "", 10, 40, 200, 20, 4, 0, false);
    CreateAll();
    for (char c : std::string("abcdefghijkl")) {
        SendMessageA(limited->Handle, WM_CHAR, static_cast<WPARAM>(c), 1);
        SendMessageA(unlimited->Handle, WM_CHAR, static_cast<WPARAM>(c), 1);
    }
    EXPECT_EQ(TextOf(limited->Handle), "abcdefghi");
    EXPECT_EQ(TextOf(unlimited->Handle), "abcdefghijkl");
}

// A descendant replaces an edit operation through the table of virtual operations.
class CountingEdit : public EditField {
  public:
    using EditField::EditField;
    void Undo() override { ++Undos; }
    int Undos = 0;
};

TEST_F(ControlsTest, TheEditCommandsReachTheEditOperationsAndOtherIdsGoToTheParent) {
    auto* edit = new CountingEdit(Parent, "some text", 10, 10, 200, 20, 3, 0, false);
    CreateAll();
    SendMessageA(edit->Handle, WM_COMMAND, EditClearCommandId, 0);
    EXPECT_EQ(TextOf(edit->Handle), "");
    SendMessageA(edit->Handle, WM_COMMAND, EditUndoCommandId, 0);
    EXPECT_EQ(edit->Undos, 1);

    Parent->DefaultCommandReceivers.clear();
    SendMessageA(edit->Handle, WM_COMMAND, EditUndoCommandId + 1, 0);
    EXPECT_EQ(Parent->DefaultCommandReceivers, std::vector<HWND>{edit->Handle});
}

TEST_F(ControlsTest, AValueDisplayShowsNumbersDatesVersionsAndKinds) {
    auto* display = new ValueDisplay(Parent, "", 10, 10, 200, 20);
    CreateAll();
    display->SetFloat(2, 2.675f);
    EXPECT_EQ(TextOf(display->Handle), "2.67");
    display->SetFloat(3, -59.16f);
    EXPECT_EQ(TextOf(display->Handle), "-59.160");
    display->SetInteger(INT_MIN);
    EXPECT_EQ(TextOf(display->Handle), "-2147483648");
    display->SetVersion(0x0210);
    EXPECT_EQ(TextOf(display->Handle), "2.10");
    display->SetDate(0x20240315);
    EXPECT_EQ(TextOf(display->Handle), "2024-03-15");
    display->SetOutputKind(6);
    EXPECT_EQ(TextOf(display->Handle), "Aktivní 0 až 5 V");
    display->SetInputKind(3);
    EXPECT_EQ(TextOf(display->Handle), "ISE");
}

TEST_F(ControlsTest, AFloatTooWideForTheFieldIsShownWhole) {
    auto* display = new ValueDisplay(Parent, "", 10, 10, 200, 20);
    CreateAll();
    display->SetFloat(3, -3.4e38f);
    const std::string text = TextOf(display->Handle);
    EXPECT_EQ(text.size(), 1u + 39u + 4u);
    EXPECT_EQ(text.substr(text.size() - 4), ".000");
}

TEST_F(ControlsTest, AValueEditReadsACommaAsTheDecimalSeparator) {
    auto* edit = new ValueEdit(Parent, "", 10, 10, 200, 20, 5);
    CreateAll();
    float value = 0.0f;

    edit->SetText("2,5");
    EXPECT_TRUE(edit->TryGetFloat(value));
    EXPECT_EQ(value, 2.5f);
    EXPECT_EQ(edit->GetFloat(), 2.5f);

    edit->SetFloat(3, 7.0f);
    EXPECT_EQ(TextOf(edit->Handle), "7.000");

    edit->SetText("1.234,5");
    EXPECT_FALSE(edit->TryGetFloat(value));
    EXPECT_EQ(edit->GetFloat(), 0.0f);

    edit->ClearText();
    EXPECT_FALSE(edit->TryGetFloat(value));
    EXPECT_EQ(edit->GetFloat(), 0.0f);
}

TEST_F(ControlsTest, AComboBoxSortsUnlessTheSortStyleIsClearedBeforeCreation) {
    auto* sorted = new ComboBox(Parent, 10, 10, 100, 100, 8, 0, false);
    auto* ordered = new ComboBox(Parent, 120, 10, 100, 100, 9, 0, false);
    ordered->Style &= ~CBS_SORT;
    CreateAll();
    for (ComboBox* combo : {sorted, ordered}) {
        combo->AddString("COM3");
        combo->AddString("COM10");
        combo->AddString("COM1");
    }
    char item[8] = {};
    sorted->GetString(item, 0);
    EXPECT_STREQ(item, "COM1");
    sorted->GetString(item, 2);
    EXPECT_STREQ(item, "COM3");
    ordered->GetString(item, 0);
    EXPECT_STREQ(item, "COM3");
    ordered->GetString(item, 2);
    EXPECT_STREQ(item, "COM1");
}

TEST_F(ControlsTest, GetSelectedStringCutsALongItemToMaxChars) {
    auto* combo = new ComboBox(Parent, 10, 10, 100, 100, 8, 0, false);
    combo->Style &= ~CBS_SORT;
    CreateAll();
    combo->AddString("123456789");
    combo->AddString("COM4");
    char buffer[8] = "unset";

    EXPECT_EQ(combo->GetSelectedString(buffer, 7), -1);
    EXPECT_STREQ(buffer, "unset") << "nothing selected leaves the buffer alone";

    combo->SetSelectedIndex(0);
    EXPECT_EQ(combo->GetSelectedString(buffer, 7), 7);
    EXPECT_STREQ(buffer, "1234567");

    combo->SetSelectedText("com4");
    EXPECT_EQ(combo->GetSelectedIndex(), 1) << "found from its beginning, in any letter case";
    EXPECT_EQ(combo->GetSelectedString(buffer, 7), 4);
    EXPECT_STREQ(buffer, "COM4");
}

TEST_F(ControlsTest, SetSelectedTextPutsAnUnknownTextIntoTheEditPart) {
    auto* combo = new ComboBox(Parent, 10, 10, 100, 100, 8, 6, true);
    CreateAll();
    combo->AddString("alpha");
    combo->SetSelectedText("beta");
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_EQ(TextOf(combo->Handle), "beta");
    EXPECT_EQ(SendMessageA(combo->Handle, CB_GETCOUNT, 0, 0), 1);
}

TEST_F(ControlsTest, ListsTransferTheirStringsAndSelection) {
    auto* list = new ListBox(Parent, 10, 10, 100, 100, 7);
    auto* combo = new ComboBox(Parent, 120, 10, 100, 100, 8, 8, true);
    CreateAll();
    StringCollection strings(4, 4);
    strings.Insert(NewString("pear"));
    strings.Insert(NewString("apple"));

    ListBox::Record listRecord{&strings, {}};
    listRecord.Index = 1;
    EXPECT_EQ(list->Transfer(&listRecord, TransferSet),
              static_cast<std::int32_t>(sizeof listRecord));
    char item[8] = {};
    EXPECT_EQ(list->GetSelectedString(item, 7), 4);
    EXPECT_STREQ(item, "pear");
    list->SetSelectedIndex(0);
    list->Transfer(&listRecord, TransferGet);
    EXPECT_EQ(listRecord.Index, 0);

    struct {
        Collection* Strings;
        char Text[8];
    } comboRecord{&strings, "app"};
    EXPECT_EQ(combo->Transfer(&comboRecord, TransferSet),
              static_cast<std::int32_t>(sizeof(Collection*)) + 8);
    EXPECT_EQ(TextOf(combo->Handle), "apple");
    SetWindowTextA(combo->Handle, "cherry");
    combo->Transfer(&comboRecord, TransferGet);
    EXPECT_STREQ(comboRecord.Text, "cherry");
}

}  // namespace
