#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>

// The parts of an address that a request needs. The scheme decides transport security.
struct ParsedAddress {
    std::wstring hostName;
    INTERNET_PORT port = 0;
    INTERNET_SCHEME scheme = INTERNET_SCHEME_DEFAULT;
    std::wstring userName, password;  // given to the connection
    std::wstring path;
    std::wstring extraInfo;  // from "?" or "#" on
};

// Splits an address; on failure sets errorText and leaves the address as far as it got.
// requestBody receives the query, UTF-8, with "+" escaped so it survives a form body.
void ParseURL(const std::wstring& url, ParsedAddress& address, std::string& requestBody, std::wstring& errorText);

// "http://" in front of an address that names no scheme.
std::wstring NormaliseURL(const std::wstring& url);
