#include "net/url_parsing.h"

#include <vector>

#include "net/text_support.h"
#include "system/text_codes.h"

namespace {
constexpr DWORD kPartLength = 2048;

std::string EscapePlus(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '+') out += "%2B";
        else out += c;
    }
    return out;
}
}  // namespace

std::wstring NormaliseURL(const std::wstring& url) {
    if (url.empty() || LowerAscii(url).find(L"://") != std::wstring::npos) return url;
    return L"http://" + url;
}

void ParseURL(const std::wstring& url, ParsedAddress& address, std::string& requestBody, std::wstring& errorText) {
    address = ParsedAddress{};
    requestBody.clear();
    if (url.empty()) return;

    std::vector<wchar_t> host(kPartLength, L'\0'), path(kPartLength, L'\0'), extra(kPartLength, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = kPartLength;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = kPartLength;
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = kPartLength;
    if (!InternetCrackUrlW(url.c_str(), 0, ICU_ESCAPE, &parts)) {
        DWORD code = GetLastError();
        errorText = L"http: Invalid URL. Error - " + std::to_wstring(code) + L" = " + InternetErrorMessage(code);
        return;
    }
    address.hostName.assign(host.data(), parts.dwHostNameLength);
    address.port = parts.nPort;
    address.scheme = parts.nScheme;
    address.path.assign(path.data(), parts.dwUrlPathLength);
    address.extraInfo.assign(extra.data(), parts.dwExtraInfoLength);
    if (address.path.empty()) {
        errorText = L"http: Empty URL";
        return;
    }
    requestBody = EscapePlus(ToUtf8(address.extraInfo));
}
