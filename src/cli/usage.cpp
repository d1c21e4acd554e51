#include "cli/usage.h"

#include <windows.h>

#include "catalogue/catalogue_identity.h"
#include "scan/settings_items.h"
#include "system/text_codes.h"
#include "ui/error_box.h"

// A message box lays out no columns: one switch a line, its meaning after a dash.
std::wstring UsageText() {
    std::wstring text =
        L"Zarvex.exe [/scan [/quiet] [/report FILE [/format text|json]] [/options LIST] [/products LIST]] "
        L"[/detect] [/allusers] [/noupdate]\r\n"
        L"\r\n"
        L"/scan - scan at start, in the window, and end when the scan is done\r\n"
        L"/detect - look only: list what is found and every object removing it would touch, change "
        L"nothing\r\n"
        L"/allusers - run elevated: the options that clean a user's folders and MUICache clean every "
        L"user's, not only the running user's\r\n"
        L"/quiet - with /scan: no window and no message box at all\r\n"
        L"/noupdate - skip the update check\r\n"
        L"/report FILE - write a report (UTF-8) to FILE at the end\r\n"
        L"/format text|json - with /report: plain text (the usual) or one JSON document\r\n"
        L"/options LIST - the cleaning options by number, separated by commas, or none:\r\n";
    for (int number = 1; OptionBoxOfPageNumber(number) != 0; ++number)
        text += L"      " + std::to_wstring(number) + L"  " +
                FromAnsi(OptionCaption(OptionBoxOfPageNumber(number))) + L"\r\n";
    text +=
        L"/products LIST - the products by name as the Settings page lists them, separated by commas "
        L"(quote the list), or all\r\n"
        L"/? - show this text (alone: with other switches it is a wrong command line)\r\n"
        L"\r\n"
        L"Without /options and /products the usual ticks apply.\r\n"
        L"\r\n"
        L"Exit codes of /scan:\r\n"
        L"0 - nothing found\r\n"
        L"1 - everything found was removed\r\n"
        L"2 - something found remains (\"Error on remove\")\r\n"
        L"3 - the command line was wrong\r\n"
        L"4 - the scan could not run or was stopped, something failed and nothing found remains, or the "
        L"report could not be written\r\n"
        L"With /detect: 0 - nothing found, 2 - something found (it remains)\r\n"
        L"\r\n"
        L"Catalogue: ";
    text += FromAnsi(CatalogueIdentity());
    return text;
}

void ShowUsageBox() {
    std::wstring caption = FromAnsi(kApplicationTitle);
    MessageBoxW(nullptr, UsageText().c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}
