// ReadWholeFile and the read-me text loaded into the About page at start.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app_test_support.h"
#include "support/test_paths.h"
#include "system/exception.h"
#include "system/files.h"
#include "ui/main_form.h"

namespace {

TEST(ReadWholeFile, ReturnsTheBytesAsTheyAre) {
    ScratchFolder folder("zarvex-read-whole-file");
    const std::string rows[] = {
        "",
        "one line",
        "CR LF\r\nlone LF\nlone CR\rend",
        std::string("with\0NUL inside", 15),
        std::string("\xE9t\xE9 \xFF\x80"),
        std::string(200000, 'x') + "tail",
    };
    for (const std::string& bytes : rows) {
        std::string path = folder.Path() + "\\file.txt";
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        EXPECT_EQ(ReadWholeFile(path), bytes) << bytes.size();
    }
}

TEST(ReadWholeFile, ReadsAFileAnotherProgramHasOpenForWriting) {
    ScratchFolder folder("zarvex-read-shared");
    std::string path = folder.Path() + "\\open.txt";
    ASSERT_TRUE(WriteFileBytes(path, "shared"));
    UniqueHandle writer(ValidOrNull(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(writer);
    EXPECT_EQ(ReadWholeFile(path), "shared");
}

TEST(ReadWholeFile, AFileThatCannotBeOpenedRaisesCannotOpenFile) {
    ScratchFolder folder("zarvex-read-missing");
    const std::string missing = folder.Path() + "\\missing.txt";
    const std::string locked = folder.Path() + "\\locked.txt";
    ASSERT_TRUE(WriteFileBytes(locked, "x"));
    UniqueHandle lock = OpenExclusively(locked);
    ASSERT_TRUE(lock);
    for (const std::string& path : {missing, locked, folder.Path()}) {
        try {
            ReadWholeFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
        }
    }
}

TEST(ReadMe, LoadedIntoTheMemoWhenPresent) {
    InitControlsOnce();
    const std::string text = "Zarvex read-me\r\n\r\nLine two\r\n" + std::string(70000, 'r') + "\r\nlast";
    FileBesideProgram readMe("ReadMe.txt", text);
    TForm1 form;
    EXPECT_EQ(WindowText(form.Memo1), text);
}

TEST(ReadMe, MemoEmptyAndNothingShownWhenAbsent) {
    InitControlsOnce();
    FileBesideProgram noReadMe("ReadMe.txt");
    BoxAnswerer answerer("Zarvex");
    TForm1 form;
    EXPECT_EQ(WindowText(form.Memo1), "");
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_TRUE(form.ProductTicked(kProductCount - 1));
}

TEST(ReadMe, AFolderNamedReadMeIsNotAFile) {
    InitControlsOnce();
    FileBesideProgram noReadMe("ReadMe.txt");
    ASSERT_TRUE(CreateDirectoryA(noReadMe.Path().c_str(), nullptr));
    BoxAnswerer answerer("Zarvex");
    {
        TForm1 form;
        EXPECT_EQ(WindowText(form.Memo1), "");
    }
    RemoveDirectoryA(noReadMe.Path().c_str());
    EXPECT_TRUE(answerer.Seen().empty());
}

}  // namespace
