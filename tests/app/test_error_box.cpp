// The standard error box: its message rule, and that an error escaping a handler lands in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app_test_support.h"
#include "ui/error_box.h"
#include "ui/main_form.h"

namespace {

TEST(ErrorBoxText, FullStopOnlyAfterCharactersAboveTheFullStop) {
    struct Row {
        std::string message;
        std::string shown;
    };
    const Row rows[] = {
        {"Cannot open file C:\\a.txt", "Cannot open file C:\\a.txt."},
        {"Error 5", "Error 5."},                          // digit
        {"Done.", "Done."},                               // the full stop itself
        {"(see log)", "(see log)"},                       // ')' is below '.'
        {"offline -", "offline -"},                       // '-' is below '.'
        {"path/", "path/."},                              // '/' is just above '.'
        {"ends with space ", "ends with space "},
        {"Error:", "Error:."},
        {"caf\xE9", "caf\xE9."},                          // code above 127 counts as above
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(ErrorBoxText(row.message), row.shown) << row.message;
}

TEST(ErrorBox, HasTheTitleErrorIconAndOneOkButton) {
    BoxAnswerer answerer("Zarvex");
    ShowErrorBox("Something failed");
    auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Something failed.");
    ASSERT_EQ(seen[0].buttons.size(), 1u);
    EXPECT_EQ(seen[0].buttons[0], "OK");
    EXPECT_EQ(seen[0].icon, LoadIcon(nullptr, IDI_ERROR));
}

TEST(ErrorBox, AReadMeThatCannotBeOpenedStopsFormCreateAndTheWindowStillOpens) {
    InitControlsOnce();
    FileBesideProgram readMe("ReadMe.txt", "text");
    // Held open without sharing, so the program cannot open it.
    UniqueHandle lock = OpenExclusively(readMe.Path());
    ASSERT_TRUE(lock);
    std::unique_ptr<TForm1> form;
    std::vector<SeenBox> seen;
    {
        BoxAnswerer answerer("Zarvex");
        form = std::make_unique<TForm1>();
        seen = answerer.Seen();
    }
    lock.reset();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Cannot open file " + readMe.Path() + ".");
    ASSERT_TRUE(IsWindow(form->Handle()));
    EXPECT_TRUE(form->ProductTicked(0)) << "the steps before the failing one ran";
    EXPECT_EQ(WindowText(form->Memo1), "");
}

}  // namespace
