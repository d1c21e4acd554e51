#pragma once
#include <cstdint>
#include <string>

// The four bytes of the integer as four characters, least significant first.
std::string IntToChars(std::uint32_t value);
// The home page address, built anew from its pieces at each call.
std::string HomePageAddress();
// The home page's host name (the address without its scheme).
std::string HomePageHost();
// Asks the shell to open the address or file with its default program, shown normally.
void OpenWithDefaultProgram(const std::string& target);
// Opens the home page in the default browser.
void OpenHomePage();
