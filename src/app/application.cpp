#include "app/application.h"

#include <commctrl.h>

#include "app/about_form.h"
#include "app/command_line_run.h"
#include "app/exit_code.h"
#include "app/main_form.h"
#include "app/main_form_messages.h"
#include "system/dll_search.h"
#include "system/redirection_trust.h"

int RunApplication(HINSTANCE instance) {
    // First, before anything is loaded by name.
    LoadDllsFromSystemFolderOnly();
    // Before any scan: junctions a non-administrator made are not followed where the system can
    // refuse them; each deletion still checks what it opened.
    EnforceRedirectionTrust();
    // Command line: /?, a wrong command line and /scan /quiet need no window.
    const CommandLine commandLine = ParseCommandLine(ProgramArguments());
    // Without a window there is no error box to catch in: whatever escapes is a scan that failed,
    // and a quiet run must not end in a runtime's box either.
    std::optional<int> code;
    try {
        code = RunWithoutWindow(commandLine);
    } catch (...) {
        return kExitScanFailed;
    }
    if (code) return *code;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The title "Zarvex" is kApplicationTitle: the main window's caption and the error box's.
    TForm1 mainForm(TForm1::Build::ScanPageFirst);  // FormCreate runs inside
    Form1 = &mainForm;
    mainForm.SetQuitOnDestroy(true);
    ShowWindow(mainForm.Handle(), SW_SHOW);
    UpdateWindow(mainForm.Handle());
    // What the first sight does not need comes once the window has painted, before any click is
    // taken: the update check and a command-line scan start from the message loop below.
    // Sent, so that a failure is shown in the error box like any other of the window's.
    SendMessageA(mainForm.Handle(), kFinishCreationMessage, 0, 0);
    TForm2 aboutForm(mainForm.Handle());  // hidden until asked for
    Form2 = &aboutForm;
    WindowScanFromCommandLine commandLineScan(commandLine, mainForm);  // ticks, /noupdate, the end
    commandLineScan.Start();

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab and arrow keys move between the main window's controls.
        if (mainForm.Handle() && IsDialogMessageA(mainForm.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Form2 = nullptr;
    Form1 = nullptr;
    return commandLineScan.ExitCode(static_cast<int>(message.wParam));
}
