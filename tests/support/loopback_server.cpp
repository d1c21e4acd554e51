#include "support/loopback_server.h"

#include <algorithm>
#include <chrono>

#include "system/text_codes.h"

namespace {
constexpr int kPollMs = 20;

sockaddr_in Loopback(unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// True when the socket has bytes (or an end) to read within the poll interval.
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, kPollMs * 1000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
}

// Bytes the whole request takes, or 0 while its headers are incomplete.
size_t RequestLength(const std::string& received) {
    size_t end = received.find("\r\n\r\n");
    if (end == std::string::npos) return 0;
    std::string head = LowerAscii(received.substr(0, end));
    size_t body = 0;
    size_t at = head.find("\r\ncontent-length:");
    if (at != std::string::npos) body = std::strtoul(head.c_str() + at + 17, nullptr, 10);
    return end + 4 + body;
}
}  // namespace

std::string HttpResponse(const std::string& body, const std::vector<std::string>& headers,
                         const std::string& statusLine) {
    std::string text = statusLine + "\r\n";
    for (const auto& line : headers) text += line + "\r\n";
    return text + "\r\n" + body;
}

ScriptedResponse SilentResponse() {
    ScriptedResponse silent;
    silent.keepOpen = true;
    return silent;
}

ScriptedResponse DrippingResponse(unsigned pauseMs) {
    ScriptedResponse drip{HttpResponse(std::string(100000, 'x'))};
    drip.dripFrom = drip.bytes.size() - 100000;
    drip.dripBytes = 1;
    drip.dripPauseMs = pauseMs;
    return drip;
}

LoopbackServer::LoopbackServer(std::vector<ScriptedResponse> script, unsigned short port)
    : script_(std::move(script)) {
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!winsock_ || script_.empty()) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return;
    sockaddr_in address = Loopback(port);
    int size = sizeof(address);
    // A fixed port may still be held by the previous test's closed connections.
    BOOL reuse = TRUE;
    if (port != 0) setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    Stop();
    if (winsock_) WSACleanup();
}

std::wstring LoopbackServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

size_t LoopbackServer::ConnectionCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_.size();
}

std::string LoopbackServer::Request(size_t index) const {
    std::lock_guard<std::mutex> hold(lock_);
    return index < requests_.size() ? requests_[index] : std::string();
}

void LoopbackServer::ReleaseHeldConnections() {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
    changed_.notify_all();
}

void LoopbackServer::WaitUntilIdle() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return active_ == 0; });
}

void LoopbackServer::Stop() {
    if (stopping_.exchange(true)) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        changed_.notify_all();
    }
    if (acceptor_.joinable()) acceptor_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    listener_ = INVALID_SOCKET;
    WaitUntilIdle();
}

void LoopbackServer::AcceptLoop() {
    while (!stopping_.load()) {
        if (!Readable(listener_)) continue;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        size_t index;
        {
            std::lock_guard<std::mutex> hold(lock_);
            index = requests_.size();
            requests_.emplace_back();
            ++active_;
        }
        ScriptedResponse response = script_[std::min(index, script_.size() - 1)];
        std::thread([this, client, index, response] { Serve(client, index, response); }).detach();
    }
}

void LoopbackServer::Record(size_t index, const char* data, size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    requests_[index].append(data, size);
}

bool LoopbackServer::PauseReading(SOCKET client, size_t index, unsigned ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    bool open = true;
    while (!stopping_.load() && std::chrono::steady_clock::now() < end) {
        if (!open) {
            Sleep(kPollMs);
            continue;
        }
        if (!Readable(client)) continue;
        char buffer[4096];
        int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) open = false;
        else Record(index, buffer, got);
    }
    return !stopping_.load();
}

void LoopbackServer::ReadRequest(SOCKET client, size_t index) {
    while (!stopping_.load()) {
        size_t need = RequestLength(Request(index));
        if (need != 0 && Request(index).size() >= need) return;
        if (!Readable(client)) continue;
        char buffer[4096];
        int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) return;
        Record(index, buffer, got);
    }
}

void LoopbackServer::Serve(SOCKET client, size_t index, ScriptedResponse response) {
    if (response.waitForRequest) ReadRequest(client, index);
    bool going = PauseReading(client, index, response.delayMs);
    const size_t total = response.bytes.size();
    const size_t piece = response.dripBytes ? response.dripBytes : total;
    for (size_t at = 0; going && at < total;) {
        size_t take = at < response.dripFrom ? std::min(response.dripFrom, total) - at : std::min(piece, total - at);
        int sent = send(client, response.bytes.data() + at, static_cast<int>(take), 0);
        if (sent <= 0) break;
        at += sent;
        if (at < total && at >= response.dripFrom && response.dripPauseMs) going = PauseReading(client, index, response.dripPauseMs);
    }
    if (response.keepOpen) {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return released_ || stopping_.load(); });
    }
    if (response.reset) {
        linger abortive{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof(abortive));
    } else {
        shutdown(client, SD_SEND);
    }
    closesocket(client);
    std::lock_guard<std::mutex> hold(lock_);
    --active_;
    changed_.notify_all();
}

unsigned short UnusedLoopbackPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    unsigned short port = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in address = Loopback(0);
        int size = sizeof(address);
        if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port = ntohs(address.sin_port);
        closesocket(s);
    }
    WSACleanup();
    return port;
}
