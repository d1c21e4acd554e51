#include "scan/settings_items.h"

#include <iterator>

#include "scan/choice_counts.h"

namespace {

constexpr const char* kProducts[] = {
    "System Antivirus 2008", "Micro Antivirus 2009", "Antivirus 2009", "SpyProtector",
    "Pro Antispyware 2009", "Ultra Antivirus 2009", "MS Antivirus", "Antispyware PRO XP",
    "XP Antispyware 2009", "VirusTrigger", "XP SecurityCenter", "Spyware Guard 2008",
    "WinDefender 2009", "AntispyKnight", "Antivirus Pro 2009", "Internet Antivirus Pro",
    "AntiSpyware BOT", "Total Secure 2009", "SpywareSTOP", "PC Protection Center 2008",
    "Winweb Security", "Antispyware Guard", "Rapid Antivirus", "Antispyware 2008",
    "Perfect Defender 2009", "XP Protection Center", "Virus Response Lab 2009", "AntivirusPro",
    "Privacy Commander", "Virus Remover 2008", "Secure Expert Cleaner", "XLG Privacy Control Center",
    "Antivirus 360",
};

constexpr OptionItem kOptions[] = {
    {2, 62, "Clear Cookies Folder", true},
    {3, 86, "Clear Temporary Internet Files Folder", true},
    {4, 110, "Clear Temp Folder", true},
    {5, 134, "Clear Windows Temp Folder", true},
    {6, 158, "Clear MUICache", true},
    {7, 184, "Empty RecycleBin", false},
    {1, 208, "Clear BHO (Browser Helper Objects)", false},
};

static_assert(std::size(kProducts) == kProductCount);
static_assert(std::size(kOptions) == kOptionCount);

const OptionItem* FindBox(int n) {
    for (const OptionItem& option : kOptions)
        if (option.n == n) return &option;
    return nullptr;
}

}  // namespace

std::span<const char* const> ProductNames() { return kProducts; }

std::span<const OptionItem> OptionItems() { return kOptions; }

// Box numbers are not the page's order (BHO is box 1, at the bottom); the user counts down the page.
int OptionPageNumber(int n) {
    const OptionItem* box = FindBox(n);
    if (!box) return 0;
    int number = 1;
    for (const OptionItem& option : kOptions)
        if (option.top < box->top) ++number;
    return number;
}

int OptionBoxOfPageNumber(int pageNumber) {
    for (const OptionItem& option : kOptions)
        if (OptionPageNumber(option.n) == pageNumber) return option.n;
    return 0;
}

const char* OptionCaption(int n) {
    const OptionItem* box = FindBox(n);
    return box ? box->caption : "";
}
