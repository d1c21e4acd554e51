#pragma once
// A scripted HTTP server on 127.0.0.1 inside the test process. Each connection gets the next
// scripted response (the last one serves every later connection) and runs on its own thread;
// the exact bytes each connection sent are recorded.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ScriptedResponse {
    std::string bytes;             // sent as they are
    bool waitForRequest = true;    // read the whole request (headers and Content-Length body) first
    unsigned delayMs = 0;          // pause before answering; bytes arriving meanwhile are recorded
    size_t dripFrom = 0;           // bytes before this offset go at once (the headers, say)
    size_t dripBytes = 0;          // 0: all at once; otherwise pieces of this many bytes
    unsigned dripPauseMs = 0;      // pause between pieces
    bool keepOpen = false;         // after answering, hold the connection silent until released
    bool reset = false;            // end with a reset instead of an orderly close
};

// "HTTP/1.0 200 OK" with the given extra header lines (each without CR LF) and body.
std::string HttpResponse(const std::string& body, const std::vector<std::string>& headers = {},
                         const std::string& statusLine = "HTTP/1.0 200 OK");
// Takes the request and never answers.
ScriptedResponse SilentResponse();
// The headers of a 100,000-byte body, then one byte of it every pauseMs: every read is progress.
ScriptedResponse DrippingResponse(unsigned pauseMs);

class LoopbackServer {
public:
    // Port 0 takes a free port; a fixed one serves a program built to ask that port.
    explicit LoopbackServer(std::vector<ScriptedResponse> script, unsigned short port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Ready() const { return port_ != 0; }
    unsigned short Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::wstring Url(const std::wstring& path = L"/") const;

    size_t ConnectionCount() const;
    // Bytes received on the connection with that index (in order of acceptance), so far.
    std::string Request(size_t index) const;

    // Closes the connections held silent, and every later one right after its answer.
    void ReleaseHeldConnections();
    // Waits until no connection is being served any more.
    void WaitUntilIdle();
    void Stop();

private:
    void AcceptLoop();
    void Serve(SOCKET client, size_t index, ScriptedResponse response);
    bool PauseReading(SOCKET client, size_t index, unsigned ms);
    void ReadRequest(SOCKET client, size_t index);
    void Record(size_t index, const char* data, size_t size);

    std::vector<ScriptedResponse> script_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> requests_;
    size_t active_ = 0;
    bool released_ = false;
    bool winsock_ = false;
};

// A loopback port that nobody listens on (taken and given back at once).
unsigned short UnusedLoopbackPort();
