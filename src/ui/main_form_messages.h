#pragma once
// The main window's own messages: workers post them, the window's thread acts on them.
#include <windows.h>

enum MainFormMessage : UINT {
    kScanEventsMessage = WM_APP + 1,  // the scan queued status texts, rows or its end
    kUpdateDoneMessage,               // the update check has its outcome
    kStartUpdateCheckMessage,         // the window has been shown: ask the update server now
    kFinishCreationMessage,           // the window has painted: make what the first sight did not need
};
