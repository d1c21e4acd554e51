#include "app/usage.h"

#include <windows.h>

#include "app/error_box.h"
#include "app/scan_report.h"
#include "app/settings_items.h"

std::wstring UsageText() {
    std::wstring text =
        L"Zarvex [/scan [/quiet] [/report FILE] [/options LIST] [/products LIST]] [/noupdate]\r\n"
        L"\r\n"
        L"/scan\tscans at start with the usual ticks and ends when the scan is done.\r\n"
        L"/quiet\twith /scan: no window and no message box at all.\r\n"
        L"/noupdate\tskips the update check.\r\n"
        L"/report FILE\twrites a plain-text report (UTF-8) to FILE at the end.\r\n"
        L"/options LIST\tthe cleaning options to tick, by number, separated by commas, or none:\r\n";
    for (int number = 1; OptionBoxOfPageNumber(number) != 0; ++number)
        text += L"\t" + std::to_wstring(number) + L"  " + WideFromSystemText(OptionCaption(OptionBoxOfPageNumber(number))) +
                L"\r\n";
    text +=
        L"/products LIST\tthe products to look for, by name as the Settings page lists them,\r\n"
        L"\tseparated by commas (quote the list), or all.\r\n"
        L"/?\tshows this text.\r\n"
        L"\r\n"
        L"Exit codes of /scan:\r\n"
        L"0\tnothing found\r\n"
        L"1\teverything found was removed\r\n"
        L"2\tsomething found remains (\"Error on remove\")\r\n"
        L"3\tthe command line was wrong\r\n"
        L"4\tthe scan could not run, or the report could not be written";
    return text;
}

void ShowUsageBox() {
    std::wstring caption = WideFromSystemText(kApplicationTitle);
    MessageBoxW(nullptr, UsageText().c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}
