// Benchmark driver: fetches one address through TIEHTTP and prints time and peak memory.
//   zarvex-bench-http <address>
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>

#include "net/iehttp.h"

namespace {
SIZE_T PeakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakPagefileUsage;
}
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        std::fprintf(stderr, "usage: zarvex-bench-http <address>\n");
        return 2;
    }
    TIEHTTP http;
    http.Timeout = 90;
    SIZE_T before = PeakPrivateBytes();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    try {
        http.ExecuteURL(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    const SIZE_T peak = PeakPrivateBytes();
    // The share of the text rule (splitting into lines), timed again on its own.
    QueryPerformanceCounter(&start);
    TStringList lines = ResponseText(http.ResponseHeaders(), http.ResponseBody());
    QueryPerformanceCounter(&end);
    double textSeconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    std::printf("seconds=%.3f text_seconds=%.3f body=%zu lines=%zu peak_before=%lu peak=%lu\n", seconds, textSeconds, http.ResponseBody().size(),
                http.ResponseLines().size(), static_cast<unsigned long>(before),
                static_cast<unsigned long>(peak));
    return 0;
}
