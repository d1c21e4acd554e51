#pragma once
// net: the HTTP request component: one document over HTTP or HTTPS through WinInet, the network
// work on a worker thread while the caller waits in Execute.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/request_state.h"
#include "net/response_decoding.h"
#include "net/text_support.h"
#include "net/url_parsing.h"
#include "system/component.h"

class TIEHTTP;
using TNotifyEvent = std::function<void(TIEHTTP* sender)>;

class TIEHTTP : public TComponent {
public:
    explicit TIEHTTP(TComponent* owner = nullptr);
    ~TIEHTTP() override;

    // Published properties. The guarded ones refuse changes while a request runs.
    const std::wstring& postStr() const { return postStr_; }
    void SetpostStr(const std::wstring& value);
    const std::wstring& getStr() const { return getStr_; }
    void SetgetStr(const std::wstring& value);
    const std::wstring& URL() const { return URL_; }
    void SetURL(const std::wstring& value);
    int Timeout = 110;  // seconds without progress; 0 or less: none
    int TimerIntervalSeconds = 0;
    bool BlockingMode = true;
    const std::wstring& RequestMethod() const { return RequestMethod_; }
    void SetRequestMethod(const std::wstring& value);
    bool MultipartPOST() const { return MultipartPOST_; }
    void SetMultipartPOST(bool value);
    TNotifyEvent OnPacketRead;
    TNotifyEvent OnTimer;

    // Public settings.
    std::wstring UserAgent = L"Kestrix Update System (ZRVX)";
    TStringList RequestHeaders{"Accept-Encoding: gzip, deflate"};
    std::wstring UserName, Password;
    std::wstring ProxyUserName, ProxyPassword;
    char DecoderHint = '\0';
    // Seconds from the start of Execute to its end, redirects included; 0 or less: none. When
    // it passes, the request ends as when Timeout passes.
    int TotalTimeout = 0;
    std::atomic<bool> AbortRequested{false};
    // A longer body ends the request with an error; a body that decodes to more is undecodable.
    uint64_t MaxBodyBytes = 256ull * 1024 * 1024;
    size_t MaxDecodedBytes = kDefaultMaxDecodedBytes;

    // Results of the last request.
    const TStringList& ResponseLines() const { return ResponseLines_; }
    const std::string& ResponseBody() const { return ResponseBody_; }
    const TStringList& ResponseHeaders() const { return ResponseHeaders_; }
    const TStringList& Cookies() const { return Cookies_; }
    int ErrorCode() const { return ErrorCode_; }
    const std::wstring& ErrorText() const { return ErrorText_; }
    int Status() const { return Status_; }
    // The status code of the server's answer (after redirects), 0 when no answer came.
    int HttpStatus() const { return HttpStatus_; }
    uint32_t ContentLength() const { return ContentLength_; }
    uint32_t BytesReceived() const { return BytesReceived_; }
    uint32_t ReadCount() const { return ReadCount_; }
    uint32_t PacketEventCount() const { return PacketEventCount_; }
    uint32_t TimerEventCount() const { return TimerEventCount_; }
    bool RequestInProgress() const { return RequestInProgress_ != 0; }

    void ExecuteURL(const std::wstring& address);
    void Execute();
    void AddVariable(const std::wstring& name, const std::wstring& value);
    static std::wstring ErrorName(int code);
    int HeaderIndex(const std::string& name) const;
    std::string HeaderValue(const std::string& name) const;

    static constexpr int kStatusNormal = 0, kStatusTimedOut = 100, kStatusAborted = 101;

private:
    // What one Execute keeps of its own, so that a request started from inside another's event
    // leaves the outer one's status and counters as they were.
    struct RequestTurns {
        int status = kStatusNormal;
        uint32_t reportedReads = 0, packetEvents = 0, timerEvents = 0;
    };
    void RefuseWhileRunning() const;
    std::shared_ptr<RequestState> StartRequestState();
    bool WaitTurn(RequestState& state, RequestTurns& turns);
    void PublishProgress(RequestState& state, const RequestTurns& turns);
    void TakeOutcome(RequestState& state);
    void FinishResults(RequestState& state, const RequestTurns& turns);
    void ReportOutcome();

    std::wstring postStr_, getStr_, URL_;
    std::wstring RequestMethod_;
    bool MultipartPOST_ = false;

    TStringList ResponseLines_, ResponseHeaders_, Cookies_;
    std::string ResponseBody_;
    int ErrorCode_ = 0;
    std::wstring ErrorText_;
    int Status_ = 0;
    int HttpStatus_ = 0;
    uint32_t ContentLength_ = 0, BytesReceived_ = 0, ReadCount_ = 0;
    uint32_t PacketEventCount_ = 0, TimerEventCount_ = 0;

    int RequestInProgress_ = 0;
    std::wstring ContentType_;
    std::string RequestBody_;
    TVariableList MultipartVariables_;
    ParsedAddress address_;
    std::wstring addressError_;  // why the current URL was rejected
    int64_t LastTimerTime_ = 0;
    bool timerEverCalled_ = false;
};
