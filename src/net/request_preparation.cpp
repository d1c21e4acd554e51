// What a request sends: object name, header block and body, built on the worker from the
// request's own copy of the settings.
#include "net/request_state.h"
#include "system/base64.h"
#include "system/exception.h"
#include "system/text_codes.h"

namespace {
const std::wstring kMultipartBoundary = L"-----------------------------7cf87224d2020a";

bool IsPost(const RequestState& state) { return state.settings.requestMethod == L"POST"; }
}  // namespace

void SetErrorText(RequestState& state, const std::wstring& text) {
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    state.errorText = text;
}

std::wstring GetErrorText(RequestState& state) {
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    return state.errorText;
}

void BuildObjectName(RequestState& state) {
    const ParsedAddress& address = state.settings.address;
    state.objectName = address.path;
    if (!IsPost(state)) state.objectName += address.extraInfo;
    const std::wstring& getStr = state.settings.getStr;
    if (!getStr.empty()) {
        state.objectName += state.objectName.find(L'?') != std::wstring::npos ? L"&" : L"?";
        state.objectName += getStr;
    }
}

void AddRequestHeader(RequestState& state, const std::wstring& line) {
    if (!state.headerBlock.empty()) state.headerBlock += L"\r\n";
    state.headerBlock += line;
}

void AddVariable(TVariableList& variables, const std::wstring& name, const std::wstring& value) {
    for (auto& variable : variables) {
        if (variable.first == name) {
            variable.second = value;
            return;
        }
    }
    variables.emplace_back(name, value);
}

void PrepareRequest(RequestState& state) {
    const RequestSettings& settings = state.settings;
    state.headerBlock.clear();
    state.bodyHeaderLength = 0;
    state.requestBody = settings.requestBody;
    state.contentType = settings.contentType;
    state.multipartVariables = settings.multipartVariables;

    if (!IsPost(state)) state.requestBody.clear();
    if (!state.requestBody.empty() && state.requestBody.front() == '?') state.requestBody.erase(0, 1);
    if (!settings.postStr.empty()) {
        std::wstring postStr = settings.postStr;
        if (!state.requestBody.empty()) postStr.insert(0, L"&");
        if (!IsPost(state)) throw Exception("No poststr allowed in GET method");
        // With a query in the address as well, the body is the escaped query, "&", then postStr:
        // one form body, every field once, no stray "?".
        state.requestBody += ToUtf8(postStr);
    }
    if (IsPost(state)) {
        if (state.contentType.empty()) state.contentType = L"application/x-www-form-urlencoded";
    } else {
        state.contentType.clear();
    }
    if (!state.contentType.empty()) {
        if (state.contentType.find(L"Content-Type:") == std::wstring::npos)
            state.contentType.insert(0, L"Content-Type: ");
        AddRequestHeader(state, state.contentType);
        state.bodyHeaderLength = state.headerBlock.size();
    }
    if (!settings.proxyUserName.empty()) {
        std::string credentials = ToAnsi(settings.proxyUserName + L":" + settings.proxyPassword);
        AddRequestHeader(state, L"Proxy-Authorization: Basic " + FromAnsi(Base64Encode(credentials)));
    }
    std::string extra = JoinLines(settings.requestHeaders);
    if (!extra.empty()) AddRequestHeader(state, FromAnsi(extra));
    if (LowerAscii(state.contentType).find(L"multipart") != std::wstring::npos) BuildMultipartBody(state);
}

void BuildMultipartBody(RequestState& state) {
    std::wstring text = FromUtf8(state.requestBody);
    if (!text.empty() && text.front() == L'&') text.erase(0, 1);
    if (!text.empty()) {
        for (const auto& piece : SplitText(text, L"&")) {
            std::vector<std::wstring> parts = SplitText(piece, L"=");
            if (parts.size() != 2) {
                SetErrorText(state, L"could not convert " + piece + L" to multipart");
                return;
            }
            AddVariable(state.multipartVariables, parts[0], parts[1]);
        }
    }
    if (state.multipartVariables.empty()) {
        SetErrorText(state, L"multipart error: no variables to post");
        return;
    }
    const std::string boundary = ToAnsi(kMultipartBoundary);
    std::string body;
    for (const auto& [name, value] : state.multipartVariables) {
        body += "--" + boundary + "\r\n";
        body += "Content-Disposition: form-data; name=\"" + ToAnsi(name) + "\"\r\n\r\n";
        body += ToUtf8(value) + "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    state.requestBody = std::move(body);
}
