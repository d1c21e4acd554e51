#pragma once
// Texts between UTF-16 and 8 bits: the system's ANSI code page and UTF-8, both ways; and ASCII
// case folding.
//
// Only for our own stored or constant texts (decoded signatures, fixed names, messages) and for
// what is only shown or sent. Never for a name that a listing or an enumeration handed back: that
// is used in UTF-16 exactly as listed, since a character the code page lacks becomes another and
// two names could meet in one.
//
// Each conversion takes the whole text, an embedded NUL included; an empty text, or one the system
// cannot convert, gives an empty text. No flags: the system's defaults for each code page.
#include <string>

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Fold only 'A' to 'Z' (or 'a' to 'z'): every other character, a code page's letters too, stays
// as it is and must match exactly.
std::string LowerAscii(std::string text);
std::wstring LowerAscii(std::wstring text);
std::string UpperAscii(std::string text);
std::wstring UpperAscii(std::wstring text);
