// The request on the Internet library, run by the worker: session, connection, request, send,
// headers, body. Every outcome lands in the request's own record.
#include <algorithm>
#include <charconv>
#include <new>
#include <optional>
#include <vector>

#include "net/request_state.h"
#include "system/exception.h"
#include "system/text_codes.h"

namespace {
constexpr DWORD kFirstHeaderBufferBytes = 16 * 1024;
// Headers past this are no answer the program can use; a hostile server could send them forever.
constexpr DWORD kMaxHeaderBytes = 256 * 1024;

// Stores a freshly opened handle; when the caller closed the request meanwhile, the handle
// is closed at once and the request goes no further.
bool Keep(RequestState& state, std::atomic<HINTERNET>& slot, HINTERNET handle) {
    slot.store(handle);
    if (state.handlesClosed.load()) {
        HINTERNET mine = slot.exchange(nullptr);
        if (mine) InternetCloseHandle(mine);
        return false;
    }
    return true;
}

void CloseSlot(std::atomic<HINTERNET>& slot) {
    HINTERNET handle = slot.exchange(nullptr);
    if (handle) InternetCloseHandle(handle);
}

uint32_t ParseDecimal(const std::string& text) {
    std::string trimmed = Trim(text);
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (first != last && *first == '+') ++first;
    uint32_t value = 0;
    auto [end, problem] = std::from_chars(first, last, value);
    if (problem != std::errc() || end != last || first == last)
        throw Exception("'" + text + "' is not a valid integer value");
    return value;
}
}  // namespace

int64_t MonotonicMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

void ResetDeadline(RequestState& state) {
    state.deadline.store(MonotonicMilliseconds() + static_cast<int64_t>(state.settings.timeoutSeconds) * 1000);
}

bool Stopped(const RequestState& state) { return state.timedOut.load() || state.abortRequested.load(); }

void CloseSessionHandle(RequestState& state) { CloseSlot(state.session); }

void CloseRequestHandles(RequestState& state) {
    if (state.handlesClosed.exchange(true)) return;
    CloseSlot(state.request);
    CloseSlot(state.connection);
    CloseSlot(state.session);
}

DWORD RequestFlags(const ParsedAddress& address) {
    // Security follows the scheme; port 443 keeps it too. Certificate errors are never ignored.
    // Nothing lands in the library's disk cache, and redirects are followed here, within the
    // request's own time, not by the library.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (address.scheme == INTERNET_SCHEME_HTTPS || address.port == INTERNET_DEFAULT_HTTPS_PORT)
        flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
    return flags;
}

namespace {
enum class HeaderQuery { Found, Absent, TooLarge };

// One header query read whole: the buffer grows to what the library asks for, up to the cap.
HeaderQuery QueryWhole(HINTERNET request, DWORD infoLevel, DWORD index, std::wstring& text) {
    DWORD size = kFirstHeaderBufferBytes;
    for (;;) {
        const DWORD given = size;
        std::vector<wchar_t> buffer(given / sizeof(wchar_t) + 1, L'\0');
        DWORD at = index;
        if (HttpQueryInfoW(request, infoLevel, buffer.data(), &size, &at)) {
            text.assign(buffer.data(), std::min<DWORD>(size, given) / sizeof(wchar_t));
            return HeaderQuery::Found;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return HeaderQuery::Absent;
        if (size > kMaxHeaderBytes) return HeaderQuery::TooLarge;
        // A library that asks for no more than it had would loop here for ever.
        if (size <= given) return HeaderQuery::Absent;
    }
}
}  // namespace

bool CollectResponseHeaders(RequestState& state, HINTERNET request) {
    state.cookies.clear();
    state.responseHeaders.clear();
    std::wstring text;
    HeaderQuery raw = QueryWhole(request, HTTP_QUERY_RAW_HEADERS_CRLF, 0, text);
    for (DWORD index = 0; raw == HeaderQuery::Found; ++index) {
        std::wstring cookie;
        HeaderQuery found = QueryWhole(request, HTTP_QUERY_SET_COOKIE, index, cookie);
        if (found == HeaderQuery::TooLarge) raw = found;
        if (found != HeaderQuery::Found) break;
        state.cookies.push_back(ToAnsi(cookie));
    }
    if (raw == HeaderQuery::TooLarge) {
        // Read in part, the headers could name the wrong character set or miss a coding.
        state.cookies.clear();
        SetErrorText(state, L"Response headers larger than " + std::to_wstring(kMaxHeaderBytes) + L" bytes");
        return false;
    }
    if (raw == HeaderQuery::Found) state.responseHeaders = SplitLines(ToAnsi(text));
    return true;
}

namespace {
constexpr DWORD kLongestLocation = 8192;  // characters

bool IsRedirect(DWORD status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

DWORD StatusCode(HINTERNET request) {
    DWORD code = 0, size = sizeof(code);
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) return 0;
    return code;
}

// The Location header; false when there is one too long to follow.
bool LocationHeader(HINTERNET request, std::wstring& location) {
    std::vector<wchar_t> buffer(kLongestLocation + 1, L'\0');
    DWORD size = kLongestLocation * sizeof(wchar_t);
    DWORD index = 0;
    location.clear();
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, buffer.data(), &size, &index))
        return GetLastError() != ERROR_INSUFFICIENT_BUFFER;
    location.assign(buffer.data(), size / sizeof(wchar_t));
    return true;
}

// The Content-Length header as sent, when it is a number.
std::optional<uint64_t> ContentLengthSent(HINTERNET request) {
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD index = 0;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, &index)) return std::nullopt;
    std::string text = Trim(ToAnsi(std::wstring(buffer, size / sizeof(wchar_t))));
    uint64_t value = 0;
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The length the body must reach, or -1 without a usable one: a transfer coding overrides it.
int64_t AnnouncedLength(HINTERNET request, const std::optional<uint64_t>& sent) {
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD index = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_TRANSFER_ENCODING, buffer, &size, &index) ||
        GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        return -1;
    return sent && *sent <= static_cast<uint64_t>(INT64_MAX) ? static_cast<int64_t>(*sent) : -1;
}

// A connection or read that waits longer than the request's own time-outs serves nobody: the
// caller has stopped waiting by then. Past them (with a second to spare) the library gives up
// too, so a worker left behind by a silent server ends by itself instead of holding on. A
// shorter limit already set stays.
void LimitWaiting(HINTERNET handle, DWORD option, const RequestSettings& settings) {
    int seconds = 0;
    for (int limit : {settings.timeoutSeconds, settings.totalTimeoutSeconds})
        if (limit > 0 && (seconds == 0 || limit < seconds)) seconds = limit;
    if (seconds == 0) return;
    DWORD wanted = static_cast<DWORD>(std::min(seconds, 86400) + 1) * 1000;
    DWORD current = 0, size = sizeof(current);
    if (InternetQueryOptionW(handle, option, &current, &size) && current != 0 && current <= wanted) return;
    InternetSetOptionW(handle, option, &wanted, sizeof(wanted));
}

// Moves url and address to where a redirect leads; false (with the error text set) when it
// cannot be followed.
bool FollowLocation(RequestState& state, const std::wstring& location, std::wstring& url, ParsedAddress& address) {
    std::vector<wchar_t> combined(kLongestLocation + 2048, L'\0');
    DWORD length = static_cast<DWORD>(combined.size());
    if (!InternetCombineUrlW(url.c_str(), location.c_str(), combined.data(), &length, ICU_NO_ENCODE)) {
        SetErrorText(state, L"Cannot follow the redirect to " + location);
        return false;
    }
    url.assign(combined.data(), length);
    std::string ignoredBody;
    std::wstring problem;
    ParsedAddress next;
    ParseURL(url, next, ignoredBody, problem);
    // A redirect to a bare host ("https://host") means its root.
    if (next.path.empty() && next.extraInfo.empty() && !next.hostName.empty()) {
        url += L"/";
        problem.clear();
        ParseURL(url, next, ignoredBody, problem);
    }
    if (!problem.empty() || (next.scheme != INTERNET_SCHEME_HTTP && next.scheme != INTERNET_SCHEME_HTTPS)) {
        SetErrorText(state, L"Cannot follow the redirect to " + url);
        return false;
    }
    // Credentials stay with the server they were given for.
    if (next.hostName == address.hostName && next.port == address.port) {
        next.userName = address.userName;
        next.password = address.password;
    }
    address = next;
    return true;
}

void RunSequence(RequestState& state, DWORD& error) {
    const RequestSettings& settings = state.settings;
    HINTERNET session = InternetOpenW(settings.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) {
        SetErrorText(state, L"Could not open Internet");
        return;
    }
    if (!Keep(state, state.session, session)) return;
    LimitWaiting(session, INTERNET_OPTION_CONNECT_TIMEOUT, settings);

    ParsedAddress address = settings.address;
    std::wstring url = settings.url;
    std::wstring method = settings.requestMethod;
    BuildObjectName(state);
    HINTERNET request = nullptr;
    DWORD status = 0;
    for (int redirects = 0;; ++redirects) {
        // The last hop's handles go first: the library may hand their values out again at once.
        CloseSlot(state.request);
        CloseSlot(state.connection);
        HINTERNET connection = InternetConnectW(session, address.hostName.c_str(), address.port,
                                                address.userName.empty() ? nullptr : address.userName.c_str(),
                                                address.userName.empty() ? nullptr : address.password.c_str(),
                                                INTERNET_SERVICE_HTTP, 0, 0);
        if (!connection) {
            if (!Stopped(state)) SetErrorText(state, L"Could not connect to server " + address.hostName);
            return;
        }
        if (!Keep(state, state.connection, connection)) return;

        SetLastError(0);
        request = HttpOpenRequestW(connection, method.c_str(), state.objectName.c_str(), L"HTTP/1.0", nullptr,
                                   nullptr, RequestFlags(address), 0);
        DWORD openError = GetLastError();
        if (openError != 0 && openError != ERROR_INSUFFICIENT_BUFFER && openError != ERROR_ALREADY_EXISTS) {
            if (request) Keep(state, state.request, request);
            error = openError;
            return;
        }
        if (!request) {
            SetErrorText(state, L"Could not open HTTP request");
            return;
        }
        if (!Keep(state, state.request, request)) return;
        LimitWaiting(request, INTERNET_OPTION_RECEIVE_TIMEOUT, settings);

        if (redirects == 0) {
            PrepareRequest(state);
            if (!GetErrorText(state).empty() || error != 0) return;
        }
        if (Stopped(state)) return;
        if (!HttpSendRequestW(request, state.headerBlock.c_str(), static_cast<DWORD>(state.headerBlock.size()),
                              state.requestBody.empty() ? nullptr : state.requestBody.data(),
                              static_cast<DWORD>(state.requestBody.size()))) {
            error = GetLastError();
            return;
        }
        status = StatusCode(request);
        std::wstring location;
        if (IsRedirect(status) && !LocationHeader(request, location)) {
            SetErrorText(state, L"Cannot follow a redirect to an address longer than " +
                                    std::to_wstring(kLongestLocation) + L" characters");
            return;
        }
        if (location.empty()) break;
        if (redirects == kMaxRedirects) {
            SetErrorText(state, L"More than " + std::to_wstring(kMaxRedirects) + L" redirects");
            return;
        }
        if (Stopped(state) || !FollowLocation(state, location, url, address)) return;
        // After a POST, 301, 302 and 303 go on as a GET without a body, as browsers do; 307 and
        // 308 keep the method and the body.
        if (method == L"POST" && status != 307 && status != 308) {
            method = L"GET";
            state.headerBlock.erase(0, state.bodyHeaderLength);
            if (state.headerBlock.starts_with(L"\r\n")) state.headerBlock.erase(0, 2);
            state.bodyHeaderLength = 0;
            state.requestBody.clear();
        }
        state.objectName = address.path + address.extraInfo;
        ResetDeadline(state);
    }

    const std::optional<uint64_t> sent = ContentLengthSent(request);
    const DWORD length = sent && *sent > 0 ? static_cast<DWORD>(std::min<uint64_t>(*sent, MAXDWORD)) : 1;
    state.contentLength.store(length);
    state.bytesReceived.store(0);
    if (!CollectResponseHeaders(state, request)) return;
    state.httpStatus = status;
    state.headersReady.store(true);
    if (length <= 1) {
        std::string custom = HeaderValue(state.responseHeaders, "Custom-Content-Length");
        if (!custom.empty() && custom != "0") state.contentLength.store(ParseDecimal(custom));
    }
    ResetDeadline(state);
    ReadResponse(state, request, AnnouncedLength(request, sent), error);
}

// An error raised on the worker ends the request with an error of its own, unless one was
// already recorded or the request was stopped.
void RecordFailure(RequestState& state, DWORD error, const std::wstring& text) {
    if (error != 0 || Stopped(state) || !GetErrorText(state).empty()) return;
    SetErrorText(state, text);
}
}  // namespace

void PerformRequest(RequestState& state) {
    DWORD error = 0;
    try {
        RunSequence(state, error);
    } catch (const std::bad_alloc&) {
        RecordFailure(state, error, L"Out of memory while reading the response");
    } catch (const std::exception& e) {
        RecordFailure(state, error, FromAnsi(e.what()));
    } catch (...) {
        RecordFailure(state, error, L"Unexpected failure while performing the request");
    }
    CloseRequestHandles(state);
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    state.errorCode = error;
}
