#pragma once
// Text helpers of the HTTP component: trimming, splitting and header lookup. All plain
// functions, no state. Case folding and code pages are system/text_codes.h.
#include <string>
#include <vector>

#include "system/text_codes.h"

using TStringList = std::vector<std::string>;

std::string Trim(const std::string& text);

// Pieces before each delimiter; an empty piece between two delimiters is kept, a trailing
// delimiter gives no empty last piece.
std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& delimiter);

// Lines end at CR, LF or CR LF; the text ends at its first zero byte; a break at the very end
// adds no empty line.
TStringList SplitLines(const std::string& text);
// The same, unless the lines would take more than budget bytes: then false and no lines.
bool SplitLinesWithin(const std::string& text, size_t budget, TStringList& lines);
// Every line followed by CR LF.
std::string JoinLines(const TStringList& lines);

// First header line starting with the name (any case, one trailing colon optional) and a colon,
// or -1; the value is the text after that colon and any blanks that follow it.
int HeaderIndex(const TStringList& headers, const std::string& name);
std::string HeaderValue(const TStringList& headers, const std::string& name);

// The system's message for an error code, else WinInet's own for its codes, without the trailing
// line break and full stop; empty when neither has one.
std::wstring InternetErrorMessage(unsigned long code);
