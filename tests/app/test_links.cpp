// The home page address and the shell opening it and the read-me, observed through a
// recording program registered as the browser and the text viewer.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app_test_support.h"
#include "system/folders.h"
#include "ui/about_form.h"
#include "ui/links.h"
#include "ui/main_form.h"

namespace {

TEST(IntToChars, BytesLeastSignificantFirst) {
    struct Row {
        std::uint32_t value;
        std::string text;
    };
    const Row rows[] = {
        {0x64636261, "abcd"},
        {0, std::string(4, '\0')},
        {0x70747468, "http"},
        {0x000000FF, std::string("\xFF\0\0\0", 4)},
        {0xFFFFFFFF, "\xFF\xFF\xFF\xFF"},
        {0x20202041, "A   "},
    };
    for (const Row& row : rows) {
        std::string text = IntToChars(row.value);
        EXPECT_EQ(text.size(), 4u);
        EXPECT_EQ(text, row.text) << std::hex << row.value;
    }
}

TEST(HomePage, A24CharacterHttpAddressUnderAReservedDomainWithoutPath) {
    const std::string address = HomePageAddress();
    EXPECT_EQ(address, "http://zarvex-av.example");
    EXPECT_EQ(address.size(), 24u);
    EXPECT_EQ(HomePageHost(), "zarvex-av.example");
}

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitControlsOnce();
        ASSERT_TRUE(recorder.Ready());
        form = std::make_unique<TForm1>();
        about = std::make_unique<TForm2>(form->Handle());
        Form2 = about.get();
    }
    void TearDown() override {
        Form2 = nullptr;
        about.reset();
        form.reset();
    }
    void ClickStatusBar() {
        SendMessageA(form->StatusBar1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(form->StatusBar1, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    void ClickMenu(int id) { SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    FileBesideProgram noReadMe{"ReadMe.txt"};
    ShellOpenRecorder recorder;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> about;
};

TEST_F(ShellOpenTest, StatusBarLinkLabelAndAboutClickAreaOpenTheSameAddress) {
    ClickStatusBar();
    SendMessageA(form->Label3, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(form->Label3, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageA(about->Image2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(about->Image2, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    auto targets = recorder.WaitForTargets(3);
    ASSERT_EQ(targets.size(), 3u);
    for (const std::string& target : targets) EXPECT_EQ(target, "http://zarvex-av.example");
}

TEST_F(ShellOpenTest, AboutClickAreaReleasedOutsideOpensNothing) {
    SendMessageA(about->Image2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(about->Image2, WM_LBUTTONUP, 0, MAKELPARAM(-5, 200));
    ClickMenu(kOpenReadMe1Id);  // no read-me: nothing either
    ClickStatusBar();           // the marker that ends the wait
    auto targets = recorder.WaitForTargets(1);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], "http://zarvex-av.example");
}

TEST_F(ShellOpenTest, OpenReadMeOpensTheFileBesideTheProgram) {
    FileBesideProgram readMe("Readme.txt", "read me");
    ClickMenu(kOpenReadMe1Id);
    auto targets = recorder.WaitForTargets(1);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(lstrcmpiA(targets[0].c_str(), (GetAppFolder() + "Readme.txt").c_str()), 0) << targets[0];
}

TEST_F(ShellOpenTest, OpenReadMeWithoutTheFileDoesNothing) {
    ClickMenu(kOpenReadMe1Id);
    ClickStatusBar();
    auto targets = recorder.WaitForTargets(1);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], "http://zarvex-av.example") << "the read-me was not opened first";
}

}  // namespace
