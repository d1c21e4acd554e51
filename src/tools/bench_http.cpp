// Benchmark driver, run by tools/bench-http.sh.
//   zarvex-bench-http fetch <address>    one request through TIEHTTP: time, with the line split
//                                        timed again on its own, and peak memory
//   zarvex-bench-http winsock <address>  the same body through a plain Winsock receive loop
//   zarvex-bench-http hostile <address>...  every address in turn in this one process, then the
//                                        peak working set of the whole run
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "net/iehttp.h"

namespace {
double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

int Fetch(const wchar_t* address) {
    TStringList headers;
    std::string body;
    double seconds = 0;
    PROCESS_MEMORY_COUNTERS memory{};
    uint32_t reads = 0;
    size_t lineCount = 0;
    {
        TIEHTTP http;
        http.Timeout = 90;
        const double start = Seconds();
        try {
            http.ExecuteURL(address);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "error: %s\n", e.what());
            return 1;
        }
        seconds = Seconds() - start;
        memory = Memory();
        reads = http.ReadCount();
        lineCount = http.ResponseLines().size();
        headers = http.ResponseHeaders();
        body = http.ResponseBody();
    }
    // The share of the line split, timed again on its own once the component and its lines are gone.
    const double textStart = Seconds();
    TStringList lines = ResponseText(headers, body);
    const double textSeconds = Seconds() - textStart;
    std::printf("seconds=%.3f text_seconds=%.3f reads=%u body=%zu lines=%zu peak_private=%lu peak_working_set=%lu\n",
                seconds, textSeconds, reads, body.size(), lineCount, static_cast<unsigned long>(memory.PeakPagefileUsage),
                static_cast<unsigned long>(memory.PeakWorkingSetSize));
    return lines.size() == lineCount ? 0 : 1;
}

// An HTTP/1.0 GET by hand; the bytes kept in memory, as any client keeps them, or only counted.
double WinsockGet(const sockaddr_in& to, const std::string& request, bool keep, size_t& received) {
    const double start = Seconds();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return -1;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) != 0 ||
        send(s, request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size())) {
        closesocket(s);
        return -1;
    }
    std::string buffer(1024 * 1024, '\0'), body;
    received = 0;
    bool sized = false;
    for (int got; (got = recv(s, buffer.data(), static_cast<int>(buffer.size()), 0)) > 0;) {
        received += got;
        if (!keep) continue;
        body.append(buffer.data(), got);
        // Sized once from the announced length, as the component sizes its body.
        const size_t headerEnd = sized ? std::string::npos : body.find("\r\n\r\n");
        if (headerEnd == std::string::npos) continue;
        sized = true;
        const size_t at = body.find("Content-Length: ");
        uint64_t length = 0;
        if (at < headerEnd &&
            std::from_chars(body.data() + at + 16, body.data() + headerEnd, length).ec == std::errc() &&
            length <= 1ull << 32)
            body.reserve(headerEnd + 4 + static_cast<size_t>(length));
    }
    closesocket(s);
    return Seconds() - start;
}

int Winsock(const wchar_t* address) {
    URL_COMPONENTSW parts{};
    wchar_t host[256] = {}, path[2048] = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (!InternetCrackUrlW(address, 0, 0, &parts)) return 2;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 2;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(parts.nPort);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = "GET " + std::string(path, path + wcslen(path)) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    size_t kept = 0, counted = 0;
    const double keeping = WinsockGet(to, request, true, kept);
    const double counting = WinsockGet(to, request, false, counted);
    std::printf("seconds=%.3f count_seconds=%.3f bytes=%zu\n", keeping, counting, kept);
    WSACleanup();
    return keeping < 0 || counting < 0 ? 1 : 0;
}

int Hostile(int count, wchar_t** addresses) {
    for (int i = 0; i < count; ++i) {
        TIEHTTP http;
        http.Timeout = 30;
        std::string outcome = "ok";
        const double start = Seconds();
        try {
            http.ExecuteURL(addresses[i]);
        } catch (const std::exception& e) {
            outcome = e.what();
        }
        const wchar_t* name = wcsrchr(addresses[i], L'/');
        std::printf("  %-28ls %6.3f s  body %9zu  lines %8zu  %s\n", name ? name : addresses[i], Seconds() - start,
                    http.ResponseBody().size(), http.ResponseLines().size(), outcome.c_str());
    }
    std::printf("peak_working_set=%lu\n", static_cast<unsigned long>(Memory().PeakWorkingSetSize));
    return 0;
}
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        std::fprintf(stderr, "usage: zarvex-bench-http fetch|winsock|hostile <address>...\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    if (mode == L"fetch") return Fetch(argv[2]);
    if (mode == L"winsock") return Winsock(argv[2]);
    if (mode == L"hostile") return Hostile(argc - 2, argv + 2);
    return 2;
}
