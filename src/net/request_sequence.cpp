// The request on the Internet library, run by the worker: session, connection, request, send,
// headers, body. Every outcome lands in the request's own record.
#include <algorithm>
#include <charconv>
#include <vector>

#include "net/request_state.h"
#include "system/exception.h"

namespace {
constexpr DWORD kReadBufferSize = 32768;
constexpr DWORD kHeaderBufferBytes = 10000;

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

bool Stopped(const RequestState& state) { return state.timedOut.load() || state.abortRequested.load(); }

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

void CloseSessionHandle(RequestState& state) { CloseSlot(state.session); }

void CloseRequestHandles(RequestState& state) {
    if (state.handlesClosed.exchange(true)) return;
    CloseSlot(state.request);
    CloseSlot(state.connection);
    CloseSlot(state.session);
}

DWORD RequestFlags(const ParsedAddress& address) {
    // Security follows the scheme; port 443 keeps it too. Certificate errors are never ignored.
    DWORD flags = INTERNET_FLAG_RELOAD;
    if (address.scheme == INTERNET_SCHEME_HTTPS || address.port == INTERNET_DEFAULT_HTTPS_PORT)
        flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
    return flags;
}

void CollectResponseHeaders(RequestState& state, HINTERNET request) {
    std::vector<wchar_t> buffer(kHeaderBufferBytes / sizeof(wchar_t));
    state.cookies.clear();
    for (DWORD index = 0;; ++index) {
        DWORD size = kHeaderBufferBytes;
        DWORD at = index;
        if (!HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, buffer.data(), &size, &at)) break;
        state.cookies.push_back(ToAnsi(std::wstring(buffer.data(), size / sizeof(wchar_t))));
    }
    std::fill(buffer.begin(), buffer.end(), L'\0');
    DWORD size = kHeaderBufferBytes;
    DWORD index = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &size, &index))
        state.responseHeaders = SplitLines(ToAnsi(std::wstring(buffer.data(), size / sizeof(wchar_t))));
}

void ReadResponse(RequestState& state, HINTERNET request, DWORD& error) {
    std::vector<char> buffer(kReadBufferSize);
    for (;;) {
        if (Stopped(state)) break;
        // A plain read waits until the whole buffer is full; asking what has arrived first lets
        // a slow body show progress piece by piece. Nothing available means the end of the body.
        DWORD available = 0;
        BOOL ok = InternetQueryDataAvailable(request, &available, 0, 0);
        DWORD read = 0;
        if (ok) {
            DWORD want = available == 0 ? kReadBufferSize : std::min(available, kReadBufferSize);
            ok = InternetReadFile(request, buffer.data(), want, &read);
        }
        if (state.timedOut.load()) {
            state.responseBody.clear();
            break;
        }
        // A read that fails ends the request with its error; retrying could loop for ever.
        if (!ok) {
            error = GetLastError();
            break;
        }
        if (state.responseBody.size() + read > state.settings.maxBodyBytes) {
            state.responseBody.clear();
            state.responseBody.shrink_to_fit();
            SetErrorText(state, L"Response body larger than " + std::to_wstring(state.settings.maxBodyBytes) + L" bytes");
            break;
        }
        state.responseBody.append(buffer.data(), read);
        state.bytesReceived.fetch_add(read);
        state.readCount.fetch_add(1);
        state.lastReadTime.store(MonotonicMilliseconds());
        ResetDeadline(state);
        if (state.abortRequested.load()) break;
        if (read > 0 && state.settings.signalEachRead && !SetEvent(state.wakeEvent.get()))
            throw Exception("SetEvent failed: " + ToAnsi(SystemErrorMessage(GetLastError())));
        if (read == 0) break;
    }
}

namespace {
void RunSequence(RequestState& state, DWORD& error) {
    const RequestSettings& settings = state.settings;
    HINTERNET session = InternetOpenW(settings.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) {
        SetErrorText(state, L"Could not open Internet");
        return;
    }
    if (!Keep(state, state.session, session)) return;

    const ParsedAddress& address = settings.address;
    HINTERNET connection = InternetConnectW(session, address.hostName.c_str(), address.port,
                                            address.userName.empty() ? nullptr : address.userName.c_str(),
                                            address.userName.empty() ? nullptr : address.password.c_str(),
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) {
        if (!Stopped(state)) SetErrorText(state, L"Could not connect to server " + address.hostName);
        return;
    }
    if (!Keep(state, state.connection, connection)) return;

    DWORD flags = RequestFlags(address);
    BuildObjectName(state);
    SetLastError(0);
    HINTERNET request = HttpOpenRequestW(connection, settings.requestMethod.c_str(), state.objectName.c_str(),
                                         L"HTTP/1.0", nullptr, nullptr, flags, 0);
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

    PrepareRequest(state);
    if (!GetErrorText(state).empty() || error != 0) return;

    if (!HttpSendRequestW(request, state.headerBlock.c_str(), static_cast<DWORD>(state.headerBlock.size()),
                          state.requestBody.empty() ? nullptr : state.requestBody.data(),
                          static_cast<DWORD>(state.requestBody.size()))) {
        error = GetLastError();
        return;
    }

    DWORD length = 0, size = sizeof(length), index = 0;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, &index) ||
        length == 0)
        length = 1;
    state.contentLength.store(length);
    state.bytesReceived.store(0);
    CollectResponseHeaders(state, request);
    state.headersReady.store(true);
    if (length <= 1) {
        std::string custom = HeaderValue(state.responseHeaders, "Custom-Content-Length");
        if (!custom.empty() && custom != "0") state.contentLength.store(ParseDecimal(custom));
    }
    // Room for the announced body at once, within the limit, saves regrowing a large body.
    uint32_t announced = state.contentLength.load();
    if (announced > 1 && announced <= settings.maxBodyBytes) state.responseBody.reserve(announced);

    ResetDeadline(state);
    ReadResponse(state, request, error);
}
}  // namespace

void PerformRequest(RequestState& state) {
    DWORD error = 0;
    try {
        RunSequence(state, error);
    } catch (...) {
        // An error on the worker only ends the request early; what was recorded stands.
    }
    CloseRequestHandles(state);
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    state.errorCode = error;
}
