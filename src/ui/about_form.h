#pragma once
#include <windows.h>

#include "ui/form.h"
#include "ui/gdi_handles.h"

enum AboutFormId : int {
    kAboutImage1Id = 100,
    kAboutImage2Id,
};

// The About window: its artwork, and a click area over the top right that opens the home page,
// which also has the keyboard (Enter or Space). Closing it, or Escape, only hides it.
class TForm2 : public TForm {
public:
    // Creates the window hidden; the owner may be null.
    explicit TForm2(HWND owner);
    ~TForm2() override;

    HWND Image1{}, Image2{};

    // Shows the window without making it modal, or brings it to the front when shown.
    void ShowAbout();
    void Image2Click();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UniqueBitmap background_;
};

// The About window while the program runs (null before and after).
extern TForm2* Form2;
