// The wait for the worker: time-out, progress, events, abort, the in-progress question and
// late workers that outlive their request.
#include <gtest/gtest.h>

#include <thread>

#include "net/iehttp.h"
#include "net/worker.h"
#include "support/loopback_server.h"
#include "system/exception.h"

namespace {
int64_t Now() { return static_cast<int64_t>(GetTickCount64()); }

// Reads the request and never answers.
ScriptedResponse Silent() {
    ScriptedResponse response;
    response.keepOpen = true;
    return response;
}

// Headers and the first bytes of the body at once, the rest in pieces with pauses.
ScriptedResponse Drip(const std::string& body, size_t firstBytes, size_t piece, unsigned pauseMs, bool keepOpen = false) {
    ScriptedResponse response{HttpResponse(body)};
    response.dripFrom = response.bytes.size() - body.size() + firstBytes;
    response.dripBytes = piece;
    response.dripPauseMs = pauseMs;
    response.keepOpen = keepOpen;
    return response;
}

void WaitForLateWorkers() {
    for (int i = 0; i < 1500 && RunningRequestWorkers() != 0; ++i) Sleep(20);
}

// Answers the "Confirm" question box from another thread.
class QuestionAnswerer {
public:
    explicit QuestionAnswerer(int button) : thread_([this, button] { Run(button); }) {}
    ~QuestionAnswerer() { Join(); }
    void Join() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::wstring question;
    bool answered = false;

private:
    void Run(int button) {
        for (int i = 0; i < 1500 && !(stop_ && !answered); ++i) {
            HWND box = FindWindowW(L"#32770", L"Confirm");
            if (box) {
                wchar_t text[256] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 256);
                question = text;
                answered = true;
                PostMessageW(box, WM_COMMAND, button, 0);
                return;
            }
            Sleep(20);
        }
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
}  // namespace

TEST(Worker, SilentServerTimesOutWithoutErrorWithinHalfASecond) {
    for (int seconds : {1, 2}) {
        LoopbackServer server({Silent()});
        TIEHTTP http;
        http.Timeout = seconds;
        int64_t start = Now();
        EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/")));
        int64_t elapsed = Now() - start;
        EXPECT_EQ(http.Status(), TIEHTTP::kStatusTimedOut);
        EXPECT_EQ(http.ErrorCode(), 0);
        EXPECT_TRUE(http.ErrorText().empty());
        EXPECT_TRUE(http.ResponseBody().empty());
        EXPECT_TRUE(http.ResponseLines().empty());
        EXPECT_FALSE(http.RequestInProgress());
        EXPECT_GE(elapsed, seconds * 1000);
        EXPECT_LE(elapsed, seconds * 1000 + 600);
    }
}

TEST(Worker, SlowDripThatKeepsProgressingIsNotCut) {
    const std::string body = "0123456789abcdefghijklmnopqrstuvwxyz!";
    LoopbackServer server({Drip(body, 0, 5, 400)});
    TIEHTTP http;
    http.Timeout = 1;
    int64_t start = Now();
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_GT(Now() - start, 2000) << "the whole transfer took longer than the time-out";
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusNormal);
    EXPECT_EQ(http.ResponseBody(), body);
}

TEST(Worker, TimeoutZeroWaitsForTheWorker) {
    ScriptedResponse late{HttpResponse("late")};
    late.delayMs = 1600;
    LoopbackServer server({late});
    TIEHTTP http;
    http.Timeout = 0;
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusNormal);
    EXPECT_EQ(http.ResponseLines(), TStringList{"late"});
}

TEST(Worker, AbortFromEitherEventEndsWithEmptyResults) {
    struct Case { const char* what; ScriptedResponse response; bool fromTimer; };
    const Case cases[] = {
        {"abort on the first packet", Drip(std::string(4000, 'x'), 100, 100, 0, true), false},
        {"abort on the first timer call", Silent(), true},
    };
    for (const Case& c : cases) {
        LoopbackServer server({c.response});
        TIEHTTP http;
        http.Timeout = 30;
        auto abort = [](TIEHTTP* sender) { sender->AbortRequested = true; };
        if (c.fromTimer) {
            http.TimerIntervalSeconds = 1;
            http.OnTimer = abort;
        } else {
            http.OnPacketRead = abort;
        }
        EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/"))) << c.what;
        EXPECT_EQ(http.Status(), TIEHTTP::kStatusAborted) << c.what;
        EXPECT_TRUE(http.ResponseBody().empty()) << c.what;
        EXPECT_TRUE(http.ResponseLines().empty()) << c.what;
        EXPECT_FALSE(http.RequestInProgress()) << c.what;
    }
}

TEST(Worker, PacketEventAtMostOncePerTurnAndInTheLastTurn) {
    const std::string body(3200, 'y');
    LoopbackServer server({Drip(body, 0, 100, 10)});
    TIEHTTP http;
    uint32_t lastSeen = 0;
    http.OnPacketRead = [&](TIEHTTP* sender) {
        lastSeen = sender->BytesReceived();
        Sleep(150);  // reads pile up meanwhile
    };
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_EQ(http.ResponseBody(), body);
    EXPECT_GE(http.PacketEventCount(), 2u);
    EXPECT_LT(http.PacketEventCount(), http.ReadCount());
    EXPECT_EQ(lastSeen, body.size());
}

TEST(Worker, TimerIsCalledOnTheFirstTurnThenOncePerInterval) {
    ScriptedResponse late{HttpResponse("late")};
    late.delayMs = 2300;
    LoopbackServer server({late});
    TIEHTTP http;
    http.TimerIntervalSeconds = 1;
    http.OnTimer = [](TIEHTTP*) {};
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_GE(http.TimerEventCount(), 2u);
    EXPECT_LE(http.TimerEventCount(), 3u);
}

namespace {
TIEHTTP* g_pumpedComponent = nullptr;
int g_pumpedMessages = 0;
bool g_pumpedWhileRunning = false;

LRESULT CALLBACK PumpTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ++g_pumpedMessages;
        g_pumpedWhileRunning = g_pumpedComponent && g_pumpedComponent->RequestInProgress();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

TEST(Worker, MessagesAreServedWhileWaitingOnlyOutsideBlockingMode) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PumpTestProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZarvexHttpPumpTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"ZarvexHttpPumpTest", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ScriptedResponse late{HttpResponse("late")};
    late.delayMs = 700;
    LoopbackServer server({late});
    for (bool blocking : {false, true}) {
        TIEHTTP http;
        http.BlockingMode = blocking;
        g_pumpedComponent = &http;
        g_pumpedMessages = 0;
        g_pumpedWhileRunning = false;
        PostMessageW(window, WM_APP, 0, 0);
        http.ExecuteURL(server.Url(L"/"));
        EXPECT_EQ(g_pumpedMessages, blocking ? 0 : 1) << blocking;
        EXPECT_EQ(g_pumpedWhileRunning, !blocking);
        MSG msg;
        EXPECT_EQ(PeekMessageW(&msg, window, WM_APP, WM_APP, PM_REMOVE) != FALSE, blocking);
    }
    g_pumpedComponent = nullptr;
    DestroyWindow(window);
    UnregisterClassW(L"ZarvexHttpPumpTest", GetModuleHandleW(nullptr));
}

TEST(Worker, InProgressQuestionCancelLeavesTheRunningRequestAlone) {
    LoopbackServer server({Drip("outer body complete", 5, 1000, 800)});
    TIEHTTP http;
    bool asked = false;
    http.OnPacketRead = [&](TIEHTTP* sender) {
        if (asked) return;
        asked = true;
        QuestionAnswerer answerer(IDCANCEL);
        EXPECT_NO_THROW(sender->Execute());
        answerer.Join();
        EXPECT_TRUE(answerer.answered);
        EXPECT_EQ(answerer.question, L"Request is in progress (http). Override and continue?");
        EXPECT_TRUE(sender->RequestInProgress());
    };
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_TRUE(asked);
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(http.ResponseLines(), TStringList{"outer body complete"});
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusNormal);
}

TEST(Worker, InProgressQuestionOkRunsASecondRequestApartFromTheFirst) {
    LoopbackServer server({Drip("outer body complete", 5, 1000, 1200), {HttpResponse("inner body")}});
    TIEHTTP http;
    bool asked = false;
    TStringList innerLines;
    http.OnPacketRead = [&](TIEHTTP* sender) {
        if (asked) return;
        asked = true;
        QuestionAnswerer answerer(IDOK);
        EXPECT_NO_THROW(sender->Execute());
        answerer.Join();
        EXPECT_TRUE(answerer.answered);
        innerLines = sender->ResponseLines();
    };
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_EQ(server.ConnectionCount(), 2u);
    EXPECT_EQ(innerLines, TStringList{"inner body"});
    EXPECT_EQ(http.ResponseLines(), TStringList{"outer body complete"});
    EXPECT_EQ(http.BytesReceived(), std::string("outer body complete").size());
}

TEST(Worker, ManyTimeoutAndAbortCyclesLeakNothing) {
    const int cycles = 200;
    std::vector<ScriptedResponse> script{{HttpResponse("warm-up")}};
    for (int i = 0; i < cycles; ++i)
        script.push_back(i % 20 == 19 ? Silent() : Drip(std::string(2000, 'z'), 10, 10, 0, true));
    LoopbackServer server(script);
    ASSERT_TRUE(server.Ready());
    TIEHTTP warmUp;
    warmUp.ExecuteURL(server.Url(L"/"));
    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));

    int timedOut = 0, aborted = 0;
    for (int i = 0; i < cycles; ++i) {
        auto http = std::make_unique<TIEHTTP>();  // destroyed while its worker may still run
        http->Timeout = 1;
        http->OnPacketRead = [](TIEHTTP* sender) { sender->AbortRequested = true; };
        http->ExecuteURL(server.Url(L"/"));
        if (http->Status() == TIEHTTP::kStatusTimedOut) ++timedOut;
        if (http->Status() == TIEHTTP::kStatusAborted) ++aborted;
        EXPECT_TRUE(http->ResponseBody().empty());
    }
    EXPECT_EQ(timedOut, cycles / 20);
    EXPECT_EQ(aborted, cycles - cycles / 20);

    server.ReleaseHeldConnections();
    WaitForLateWorkers();
    server.WaitUntilIdle();
    EXPECT_EQ(RunningRequestWorkers(), 0);
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_LE(after, before + 10) << "before " << before << ", after " << after;
}

TEST(Worker, RequestStartedInsideAnotherKeepsItsOutcomeToItself) {
    // The inner request, started from the outer one's packet event, ends badly; the outer one
    // must still end normally with its own body, status and counters.
    struct Case { const char* what; ScriptedResponse inner; bool abortInner; int innerStatus; };
    const Case cases[] = {
        {"inner times out", Silent(), false, TIEHTTP::kStatusTimedOut},
        {"inner aborted", Drip(std::string(4000, 'i'), 100, 100, 200, true), true, TIEHTTP::kStatusAborted},
    };
    const std::string outerBody = "outer body complete";
    for (const Case& c : cases) {
        // The outer body keeps arriving while the inner request runs, so its own time-out never passes.
        LoopbackServer server({Drip(outerBody, 2, 1, 250), c.inner});
        TIEHTTP http;
        http.Timeout = 2;
        bool started = false, inInner = false;
        int innerStatus = -1;
        http.OnPacketRead = [&](TIEHTTP* sender) {
            if (inInner) {
                if (c.abortInner) sender->AbortRequested = true;
                return;
            }
            if (started) return;
            started = true;
            inInner = true;
            QuestionAnswerer answerer(IDOK);
            EXPECT_NO_THROW(sender->Execute()) << c.what;
            answerer.Join();
            inInner = false;
            innerStatus = sender->Status();
            EXPECT_TRUE(sender->RequestInProgress()) << c.what << ": the outer request still runs";
        };
        EXPECT_NO_THROW(http.ExecuteURL(server.Url(L"/"))) << c.what;
        EXPECT_EQ(innerStatus, c.innerStatus) << c.what;
        EXPECT_EQ(http.Status(), TIEHTTP::kStatusNormal) << c.what;
        EXPECT_EQ(http.ResponseLines(), TStringList{outerBody}) << c.what;
        EXPECT_EQ(http.BytesReceived(), outerBody.size()) << c.what;
        EXPECT_GE(http.ReadCount(), http.PacketEventCount()) << c.what;
        EXPECT_FALSE(http.AbortRequested.load()) << c.what;
        EXPECT_FALSE(http.RequestInProgress()) << c.what;
        server.ReleaseHeldConnections();
    }
}

TEST(Worker, WorkerLeftBehindBySilentServerEndsByItself) {
    // The server holds the connection open and silent for ever; the worker must not.
    LoopbackServer server({Silent()});
    TIEHTTP http;
    http.Timeout = 1;
    http.ExecuteURL(server.Url(L"/"));
    EXPECT_EQ(http.Status(), TIEHTTP::kStatusTimedOut);
    const int64_t end = Now();
    while (RunningRequestWorkers() != 0 && Now() - end < 5000) Sleep(20);
    EXPECT_EQ(RunningRequestWorkers(), 0);
    EXPECT_LE(Now() - end, 2500) << "the worker outlived the request by more than its time-out";
    server.ReleaseHeldConnections();
}
