// The About window: hidden at start, shown without being modal, hidden on close, shown again.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app_test_support.h"
#include "ui/about_form.h"
#include "ui/controls.h"
#include "ui/main_form.h"

namespace {

class AboutFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitControlsOnce();
        form = std::make_unique<TForm1>();
        about = std::make_unique<TForm2>(form->Handle());
        Form2 = about.get();
        ShowWindow(form->Handle(), SW_SHOW);
    }
    void TearDown() override {
        Form2 = nullptr;
        about.reset();
        form.reset();
    }
    void ClickBannerArea() {
        SendMessageA(form->Image3, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(form->Image3, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        PumpMessages();
    }

    FileBesideProgram noReadMe{"ReadMe.txt"};
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> about;
};

TEST_F(AboutFormTest, HasItsCaptionSizeAndClickArea) {
    EXPECT_EQ(WindowText(about->Handle()), "ABOUT");
    EXPECT_FALSE(IsWindowVisible(about->Handle()));
    EXPECT_EQ(GetMenu(about->Handle()), nullptr);
    RECT client{};
    GetClientRect(about->Handle(), &client);
    EXPECT_EQ(client.right, Scaled(449));
    EXPECT_EQ(client.bottom, Scaled(329));
    RECT outer{};
    GetWindowRect(about->Handle(), &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    RECT picture = RectInParent(about->Image1);
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.right, Scaled(449));
    EXPECT_EQ(picture.bottom, Scaled(329));
    auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(about->Image1, GWLP_USERDATA));
    BITMAP info{};
    ASSERT_TRUE(bitmap && GetObjectA(bitmap, sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 449);
    EXPECT_EQ(info.bmHeight, 329);

    RECT area = RectInParent(about->Image2);
    EXPECT_EQ(area.left, Scaled(288));
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.right, Scaled(288 + 153));
    EXPECT_EQ(area.bottom, Scaled(89));
    SetCursor(nullptr);
    SendMessageA(about->Image2, WM_SETCURSOR, reinterpret_cast<WPARAM>(about->Image2), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
}

TEST_F(AboutFormTest, ShowsHidesOnCloseAndShowsAgain) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ClickBannerArea();
        EXPECT_TRUE(IsWindowVisible(about->Handle()));
        EXPECT_TRUE(IsWindowEnabled(form->Handle())) << "not modal: the main window stays usable";
        SendMessageA(about->Handle(), WM_CLOSE, 0, 0);
        PumpMessages();
        EXPECT_TRUE(IsWindow(about->Handle())) << "closing only hides it";
        EXPECT_FALSE(IsWindowVisible(about->Handle()));
    }
}

TEST_F(AboutFormTest, ClickingWhileShownBringsItToTheFront) {
    // Without an owner nothing keeps it above the main window but the click itself.
    Form2 = nullptr;
    about = std::make_unique<TForm2>(nullptr);
    Form2 = about.get();
    ClickBannerArea();
    SetForegroundWindow(form->Handle());
    BringWindowToTop(form->Handle());
    ClickBannerArea();
    EXPECT_TRUE(IsWindowVisible(about->Handle()));
    // Nothing of ours lies above it.
    for (HWND above = GetWindow(about->Handle(), GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV))
        EXPECT_NE(above, form->Handle());
}

}  // namespace
