#include "app/application.h"

#include <commctrl.h>

#include <exception>

#include "app/window_scan.h"
#include "cli/command_line_run.h"
#include "cli/exit_code.h"
#include "system/debugger.h"
#include "system/dll_search.h"
#include "system/redirection_trust.h"
#include "ui/about_form.h"
#include "ui/error_box.h"
#include "ui/main_form.h"
#include "ui/main_form_messages.h"

namespace {

int RunProgram(bool& quiet) {
    // First, before anything is loaded by name.
    LoadDllsFromSystemFolderOnly();
    // Before any scan: junctions a non-administrator made are not followed where the system can
    // refuse them; each deletion still checks what it opened.
    EnforceRedirectionTrust();
    // Command line: /?, a wrong command line and /scan /quiet need no window.
    const CommandLine commandLine = ParseCommandLine(ProgramArguments());
    quiet = commandLine.quiet;
    if (std::optional<int> code = RunWithoutWindow(commandLine)) return *code;
    // The window program ends without a word under a debugger, before any window exists.
    if (DebuggerAttached()) return kExitNoScan;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The title "Zarvex" is kApplicationTitle: the main window's caption and the error box's.
    TForm1 mainForm(TForm1::Build::ScanPageFirst);  // FormCreate runs inside
    Form1 = &mainForm;
    // Cleared on every way out, before the windows go.
    struct FormsGone {
        ~FormsGone() {
            Form2 = nullptr;
            Form1 = nullptr;
        }
    } formsGone;
    mainForm.SetQuitOnDestroy(true);
    mainForm.OnExitNow = [] { EndProgramNow(kExitNoScan); };
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
        // Tab and arrow keys move between the controls of the main window and of the About window;
        // Escape hides the About window.
        if (mainForm.Handle() && IsDialogMessageA(mainForm.Handle(), &message)) continue;
        if (Form2 && Form2->Handle() && IsDialogMessageA(Form2->Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return commandLineScan.End(static_cast<int>(message.wParam));
}

}  // namespace

int RunApplication(HINSTANCE) {
    // What escapes every handler (a thread that cannot start, say) ends here with 4, never in the
    // runtime's abort, whose 3 reads as a wrong command line. A quiet run shows no box, and must
    // not end in a runtime's box either.
    bool quiet = true;
    try {
        return RunProgram(quiet);
    } catch (const std::exception& error) {
        if (!quiet) ShowErrorBox(error.what());
    } catch (...) {
        if (!quiet) ShowErrorBox("Unexpected error");
    }
    return kExitScanFailed;
}
