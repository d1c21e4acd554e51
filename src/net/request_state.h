#pragma once
// One request's own record: the settings taken when it started, its Internet handles, its
// wake event and its results. The worker holds a reference until it ends, so a worker that is
// still inside the Internet library after a time-out or abort only ever touches its own record,
// never the component or a later request.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "net/text_support.h"
#include "net/url_parsing.h"
#include "system/handles.h"

using TVariableList = std::vector<std::pair<std::wstring, std::wstring>>;

struct RequestSettings {
    std::wstring userAgent;
    std::wstring url;
    std::wstring requestMethod;  // "GET" or "POST"
    ParsedAddress address;
    std::wstring getStr, postStr;
    std::wstring contentType;
    std::wstring proxyUserName, proxyPassword;
    TStringList requestHeaders;
    std::string requestBody;  // the address's query as parsing left it
    TVariableList multipartVariables;
    bool signalEachRead = false;  // OnPacketRead is assigned
    int timeoutSeconds = 0;
    int totalTimeoutSeconds = 0;
    uint64_t maxBodyBytes = 0;
};

struct RequestState {
    RequestSettings settings;
    UniqueHandle wakeEvent;

    // Closed once, by whichever thread takes each one first.
    std::atomic<HINTERNET> session{nullptr}, connection{nullptr}, request{nullptr};
    std::atomic<bool> handlesClosed{false};

    std::atomic<bool> timedOut{false}, abortRequested{false};
    std::atomic<bool> headersReady{false}, workerDone{false};
    std::atomic<int64_t> deadline{0};  // milliseconds of the monotonic clock
    int64_t totalDeadline = 0;                              // set before the worker starts; 0: none
    std::atomic<uint32_t> contentLength{0}, bytesReceived{0}, readCount{0};

    // Written by the worker; read by the caller only after headersReady / workerDone.
    TStringList responseHeaders, cookies;
    DWORD httpStatus = 0;  // the last answer's status code
    std::string responseBody;

    // The outcome; the caller may look while the worker still runs.
    std::mutex outcomeLock;
    DWORD errorCode = 0;
    std::wstring errorText;

    // The worker's own working data.
    std::wstring objectName, headerBlock;
    std::string requestBody;
    std::wstring contentType;
    size_t bodyHeaderLength = 0;  // the Content-Type line and its CR LF at the front of headerBlock
    TVariableList multipartVariables;
};

int64_t MonotonicMilliseconds();

void SetErrorText(RequestState& state, const std::wstring& text);
std::wstring GetErrorText(RequestState& state);

// Preparation, on the worker.
void BuildObjectName(RequestState& state);
void PrepareRequest(RequestState& state);
void AddRequestHeader(RequestState& state, const std::wstring& line);
void BuildMultipartBody(RequestState& state);
// Same name (case-sensitive) gets the new value in place; a new name goes to the end.
void AddVariable(TVariableList& variables, const std::wstring& name, const std::wstring& value);

// The request sequence, on the worker.
constexpr int kMaxRedirects = 10;
DWORD RequestFlags(const ParsedAddress& address);
void PerformRequest(RequestState& state);
// The raw header lines and the cookies, each read whole; false, with the error text set, past
// the cap.
bool CollectResponseHeaders(RequestState& state, HINTERNET request);
// Reads the body into the record; announced is the Content-Length header's value, -1 without one.
void ReadResponse(RequestState& state, HINTERNET request, int64_t announced, DWORD& error);
void ResetDeadline(RequestState& state);
bool Stopped(const RequestState& state);
// Either thread; acts once.
void CloseRequestHandles(RequestState& state);
// Closes just the session, which makes a pending library call of the worker fail.
void CloseSessionHandle(RequestState& state);
