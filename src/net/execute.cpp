// Execute: hands the request to a worker and waits for it in turns of at most 500 ms, with
// the time-out, the events, abort and the reporting of the outcome.
#include <algorithm>
#include <exception>
#include <new>

#include "net/iehttp.h"
#include "net/worker.h"
#include "system/exception.h"
#include "system/text_codes.h"

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
    settings.url = URL_;
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
    settings.signalEachRead = static_cast<bool>(OnPacketRead);
    settings.timeoutSeconds = Timeout;
    settings.totalTimeoutSeconds = TotalTimeout;
    settings.maxBodyBytes = MaxBodyBytes;
    // getStr and postStr serve one request each.
    getStr_.clear();
    postStr_.clear();

    const int64_t now = MonotonicMilliseconds();
    if (TotalTimeout > 0) state->totalDeadline = now + static_cast<int64_t>(TotalTimeout) * 1000;
    ResetDeadline(*state);
    state->wakeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!state->wakeEvent) throw Exception("Cannot create event: " + ToAnsi(InternetErrorMessage(GetLastError())));
    return state;
}

void TIEHTTP::PublishProgress(RequestState& state, const RequestTurns& turns) {
    BytesReceived_ = state.bytesReceived.load();
    ContentLength_ = state.contentLength.load();
    ReadCount_ = state.readCount.load();
    PacketEventCount_ = turns.packetEvents;
    TimerEventCount_ = turns.timerEvents;
    Status_ = turns.status;
}

// What the worker recorded so far. Taken before a time-out or abort closes the session, so the
// failures that closing causes in a late worker are never reported as the request's own.
void TIEHTTP::TakeOutcome(RequestState& state) {
    std::lock_guard<std::mutex> hold(state.outcomeLock);
    ErrorCode_ = static_cast<int>(state.errorCode);
    ErrorText_ = state.errorText;
}

namespace {
// How long one turn waits: at most half a second, and never past a deadline.
DWORD TurnLength(const RequestState& state, bool timeoutOn) {
    const int64_t now = MonotonicMilliseconds();
    int64_t until = now + kTurnMilliseconds;
    if (timeoutOn) until = std::min(until, state.deadline.load());
    if (state.totalDeadline > 0) until = std::min(until, state.totalDeadline);
    return static_cast<DWORD>(std::clamp<int64_t>(until - now, 0, kTurnMilliseconds));
}

bool PastDeadline(const RequestState& state, bool timeoutOn) {
    const int64_t now = MonotonicMilliseconds();
    return (timeoutOn && now >= state.deadline.load()) || (state.totalDeadline > 0 && now >= state.totalDeadline);
}
}  // namespace

// One turn of the wait; true when the wait is over.
bool TIEHTTP::WaitTurn(RequestState& state, RequestTurns& turns) {
    HANDLE event = state.wakeEvent.get();
    if (WaitForSingleObject(event, TurnLength(state, Timeout > 0)) == WAIT_FAILED || !ResetEvent(event))
        throw Exception("CANNOT call WaitForSingleObject. Event handle =" +
                        std::to_string(reinterpret_cast<uintptr_t>(event)) + " .thread done=" +
                        (state.workerDone.load() ? "-1" : "0"));
    // Taken before the progress, so the turn that ends the wait has reported every read.
    const bool workerDone = state.workerDone.load();
    PublishProgress(state, turns);
    // Reads are counted rather than timed: a coarse clock could hide a read made in the same tick.
    if (OnPacketRead && ReadCount_ > turns.reportedReads) {
        turns.reportedReads = ReadCount_;
        PacketEventCount_ = ++turns.packetEvents;
        OnPacketRead(this);
    }
    if (OnTimer && TimerIntervalSeconds > 0) {
        int64_t now = MonotonicMilliseconds();
        if (!timerEverCalled_ || now > LastTimerTime_ + static_cast<int64_t>(TimerIntervalSeconds) * 1000) {
            timerEverCalled_ = true;
            LastTimerTime_ = now;
            TimerEventCount_ = ++turns.timerEvents;
            OnTimer(this);
        }
    }
    if (!BlockingMode) ProcessPendingMessages();
    // An event may have run a request of its own meanwhile: this one's figures again.
    PublishProgress(state, turns);
    // The abort asked for is this request's; it is used up here.
    if (AbortRequested.exchange(false)) {
        state.abortRequested.store(true);
        TakeOutcome(state);
        CloseSessionHandle(state);
        Status_ = turns.status = kStatusAborted;
        return true;
    }
    if (PastDeadline(state, Timeout > 0)) {
        state.timedOut.store(true);
        TakeOutcome(state);
        CloseSessionHandle(state);
        Status_ = turns.status = kStatusTimedOut;
        return true;
    }
    return workerDone;
}

void TIEHTTP::FinishResults(RequestState& state, const RequestTurns& turns) {
    PublishProgress(state, turns);
    if (state.headersReady.load()) {
        ResponseHeaders_ = state.responseHeaders;
        Cookies_ = state.cookies;
        HttpStatus_ = static_cast<int>(state.httpStatus);
    }
    if (turns.status == kStatusNormal) TakeOutcome(state);
    // A worker left behind by a time-out or abort keeps its body to itself.
    if (turns.status == kStatusNormal) ResponseBody_ = std::move(state.responseBody);
    else ResponseBody_.clear();
    DecodeBody(ResponseBody_, state.settings.url, DecoderHint, ::HeaderValue(ResponseHeaders_, "Content-Encoding"),
               MaxDecodedBytes);
    if (!ResponseText(ResponseHeaders_, BodyToText(ResponseBody_), MaxDecodedBytes, ResponseLines_) &&
        ErrorCode_ == 0 && ErrorText_.empty())
        ErrorText_ = L"Response text too large to split into lines";
}

void TIEHTTP::Execute() {
    if (RequestInProgress_ != 0 && !ConfirmOverride()) return;
    ++RequestInProgress_;
    Status_ = kStatusNormal;
    ErrorCode_ = 0;
    ErrorText_.clear();
    BytesReceived_ = 0;
    ContentLength_ = 0;
    HttpStatus_ = 0;
    if (URL_.empty()) {
        --RequestInProgress_;
        throw Exception("TIEHTTP: no url in execute method");
    }

    std::shared_ptr<RequestState> state;
    RequestTurns turns;
    std::exception_ptr failure;
    try {
        ResponseLines_.clear();
        ResponseBody_.clear();
        ResponseHeaders_.clear();
        Cookies_.clear();
        ReadCount_ = PacketEventCount_ = TimerEventCount_ = 0;
        // An address that was rejected sends nothing.
        if (!addressError_.empty()) throw Exception("http error: " + ToAnsi(ErrorText_ = addressError_));
        AbortRequested.store(false);
        state = StartRequestState();
        if (!TTimeout::Start(state))
            throw Exception("Cannot start the request thread: " + ToAnsi(InternetErrorMessage(GetLastError())));
        while (!WaitTurn(*state, turns)) {
        }
        FinishResults(*state, turns);
    } catch (const std::bad_alloc&) {
        failure = std::make_exception_ptr(Exception("http error: out of memory for the response"));
    } catch (...) {
        failure = std::current_exception();
    }
    MultipartVariables_.clear();
    if (MultipartPOST_) RequestBody_.clear();
    --RequestInProgress_;
    // Nothing of a request outlives Execute: a time-out, an abort or a failure here (an event that
    // raised, say) closes what the worker may still be reading from.
    if (state && (failure || state->timedOut.load() || state->abortRequested.load())) {
        if (failure && !state->workerDone.load()) state->abortRequested.store(true);
        CloseRequestHandles(*state);
    }
    if (failure) {
        ResponseBody_.clear();
        ResponseLines_.clear();
        std::rethrow_exception(failure);
    }
    ReportOutcome();
}

void TIEHTTP::ReportOutcome() {
    if (ErrorCode_ == 12007) return;  // no name resolution: offline, not worth a message
    if (ErrorCode_ > 0) throw Exception("Error:" + ToAnsi(ErrorName(ErrorCode_)));
    if (!ErrorText_.empty()) throw Exception("http error: " + ToAnsi(ErrorText_));
}
