// Execute: hands the request to a worker and waits for it in turns of at most 500 ms, with
// the time-out, the events, abort and the reporting of the outcome.
#include <exception>

#include "net/iehttp.h"
#include "net/worker.h"
#include "system/exception.h"

namespace {
constexpr DWORD kTurnMilliseconds = 500;

bool ConfirmOverride() {
    return MessageBoxW(GetActiveWindow(), L"Request is in progress (http). Override and continue?", L"Confirm",
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void ProcessPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's own loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
}  // namespace

std::shared_ptr<RequestState> TIEHTTP::StartRequestState() {
    auto state = std::make_shared<RequestState>();
    RequestSettings& settings = state->settings;
    settings.userAgent = UserAgent;
    settings.requestMethod = RequestMethod_;
    settings.address = address_;
    settings.getStr = getStr_;
    settings.postStr = postStr_;
    settings.contentType = ContentType_;
    settings.proxyUserName = ProxyUserName;
    settings.proxyPassword = ProxyPassword;
    settings.requestHeaders = RequestHeaders;
    settings.requestBody = RequestBody_;
    settings.multipartVariables = MultipartVariables_;
    settings.multipartPOST = MultipartPOST_;
    settings.signalEachRead = static_cast<bool>(OnPacketRead);
    settings.timeoutSeconds = Timeout;
    settings.maxBodyBytes = MaxBodyBytes;
    // getStr and postStr serve one request each.
    getStr_.clear();
    postStr_.clear();

    ResetDeadline(*state);
    state->lastReadTime.store(MonotonicMilliseconds());
    state->wakeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!state->wakeEvent) throw Exception("Cannot create event: " + ToAnsi(SystemErrorMessage(GetLastError())));
    ReadCount_ = 0;
    PacketEventCount_ = 0;
    TimerEventCount_ = 0;
    return state;
}

void TIEHTTP::PublishProgress(RequestState& state) {
    BytesReceived_ = state.bytesReceived.load();
    ContentLength_ = state.contentLength.load();
    ReadCount_ = state.readCount.load();
}

// What the worker recorded so far. Taken before a time-out or abort closes the session, so the
// failures that closing causes in a late worker are never reported as the request's own.
void TIEHTTP::TakeOutcome(RequestState& state) {
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    ErrorCode_ = static_cast<int>(state.errorCode);
    ErrorText_ = state.errorText;
}

// One turn of the wait; true when the wait is over.
bool TIEHTTP::WaitTurn(RequestState& state) {
    HANDLE event = state.wakeEvent.get();
    if (WaitForSingleObject(event, kTurnMilliseconds) == WAIT_FAILED || !ResetEvent(event))
        throw Exception("CANNOT call WaitForSingleObject. Event handle =" +
                        std::to_string(reinterpret_cast<uintptr_t>(event)) + " .thread done=" +
                        (state.workerDone.load() ? "-1" : "0"));
    // Taken before the progress, so the turn that ends the wait has reported every read.
    const bool workerDone = state.workerDone.load();
    PublishProgress(state);
    // Reads are counted rather than timed: a coarse clock could hide a read made in the same tick.
    if (OnPacketRead && ReadCount_ > reportedReadCount_) {
        reportedReadCount_ = ReadCount_;
        ++PacketEventCount_;
        OnPacketRead(this);
    }
    if (OnTimer && TimerIntervalSeconds > 0) {
        int64_t now = MonotonicMilliseconds();
        if (!timerEverCalled_ || now > LastTimerTime_ + static_cast<int64_t>(TimerIntervalSeconds) * 1000) {
            timerEverCalled_ = true;
            LastTimerTime_ = now;
            ++TimerEventCount_;
            OnTimer(this);
        }
    }
    if (!BlockingMode) ProcessPendingMessages();
    if (AbortRequested.load()) {
        state.abortRequested.store(true);
        RequestInProgress_ = 0;
        TakeOutcome(state);
        CloseSessionHandle(state);
        Status_ = kStatusAborted;
        return true;
    }
    if (Timeout > 0 && MonotonicMilliseconds() > state.deadline.load()) {
        state.timedOut.store(true);
        TakeOutcome(state);
        CloseSessionHandle(state);
        Status_ = kStatusTimedOut;
        return true;
    }
    return workerDone;
}

void TIEHTTP::FinishResults(RequestState& state) {
    PublishProgress(state);
    if (state.headersReady.load()) {
        ResponseHeaders_ = state.responseHeaders;
        Cookies_ = state.cookies;
    }
    if (Status_ == kStatusNormal) TakeOutcome(state);
    // A worker left behind by a time-out or abort keeps its body to itself.
    if (Status_ == kStatusNormal && state.workerDone.load()) ResponseBody_ = std::move(state.responseBody);
    else ResponseBody_.clear();
    DecodeBody(ResponseBody_, URL_, DecoderHint, ::HeaderValue(ResponseHeaders_, "Content-Encoding"),
               MaxDecodedBytes);
    ResponseLines_ = ResponseText(ResponseHeaders_, BodyToText(ResponseBody_));
}

void TIEHTTP::Execute() {
    if (RequestInProgress_ != 0 && !ConfirmOverride()) return;
    RequestInProgress_ = 1;
    Status_ = kStatusNormal;
    ErrorCode_ = 0;
    ErrorText_.clear();
    BytesReceived_ = 0;
    ContentLength_ = 0;
    if (URL_.empty()) {
        RequestInProgress_ = 0;
        throw Exception("TIEHTTP: no url in execute method");
    }

    std::shared_ptr<RequestState> state;
    std::exception_ptr failure;
    try {
        ResponseLines_.clear();
        ResponseBody_.clear();
        ResponseHeaders_.clear();
        Cookies_.clear();
        AbortRequested.store(false);
        reportedReadCount_ = 0;
        state = StartRequestState();
        if (!TTimeout::Start(state))
            throw Exception("Cannot start the request thread: " + ToAnsi(SystemErrorMessage(GetLastError())));
        while (!WaitTurn(*state)) {
        }
        FinishResults(*state);
    } catch (...) {
        failure = std::current_exception();
    }
    MultipartVariables_.clear();
    if (MultipartPOST_) RequestBody_.clear();
    RequestInProgress_ = 0;
    if (state && (state->timedOut.load() || state->abortRequested.load())) CloseRequestHandles(*state);
    if (failure) std::rethrow_exception(failure);
    ReportOutcome();
}

void TIEHTTP::ReportOutcome() {
    if (ErrorCode_ == 12007) return;  // no name resolution: offline, not worth a message
    if (ErrorCode_ > 0) throw Exception("Error:" + ToAnsi(ErrorName(ErrorCode_)));
    if (!ErrorText_.empty()) throw Exception("http error: " + ToAnsi(ErrorText_));
}
