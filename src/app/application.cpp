#include "app/application.h"

#include <commctrl.h>

#include "app/about_form.h"
#include "app/main_form.h"

int RunApplication(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The title "Zarvex" is kApplicationTitle: the main window's caption and the error box's.
    TForm1 mainForm;  // FormCreate runs inside
    Form1 = &mainForm;
    mainForm.SetQuitOnDestroy(true);
    TForm2 aboutForm(mainForm.Handle());  // hidden until asked for
    Form2 = &aboutForm;
    ShowWindow(mainForm.Handle(), SW_SHOW);
    UpdateWindow(mainForm.Handle());

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab and arrow keys move between the main window's controls.
        if (mainForm.Handle() && IsDialogMessageA(mainForm.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Form2 = nullptr;
    Form1 = nullptr;
    return static_cast<int>(message.wParam);
}
