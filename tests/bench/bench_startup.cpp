// Start-up benchmark, not a test: the time from starting a program to its visible main window,
// for Zarvex with the update server unresolvable, refusing, silent and dripping, against a bare
// Win32 window program. Each is printed as a ratio to the bare window; target: within noise
// (<= 1.15).
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/loopback_server.h"
#include "system/folders.h"
#include "system/handles.h"

namespace {

double Now() {
    LARGE_INTEGER frequency{}, counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD processId;
    const char* className;
    bool found;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (owner == search->processId && lstrcmpA(name, search->className) == 0 && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds until the program shows a window of that class; negative when none came in 120 s.
double TimeToWindow(const std::string& exe, const char* className) {
    std::string command = "\"" + GetAppFolder() + exe + "\"";
    STARTUPINFOA startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    double took = -1;
    while (Now() - start < 120000) {
        Search search{info.dwProcessId, className, false};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            took = Now() - start;
            break;
        }
        Sleep(1);
    }
    // Only the process started here, by its own handle.
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
    return took;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the program and the bare window by turns, so the load of a shared machine falls on both.
void Measure(const char* name, const std::string& exe, int runs) {
    std::vector<double> times, bare;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(TimeToWindow("zarvex-bare-window.exe", "ZarvexBareWindow"));
        times.push_back(TimeToWindow(exe, "TForm1"));
    }
    double median = Median(times);
    double ratio = median / Median(bare);
    std::printf("%-20s median %.0f ms of %d run(s) (min %.0f, max %.0f), bare window %.0f ms, ratio %.2f "
                "(target <= 1.15) %s\n",
                name, median, runs, *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), Median(bare), ratio, ratio <= 1.15 ? "OK" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TimeToWindow("zarvex-bare-window.exe", "ZarvexBareWindow");  // warm the caches once
    TimeToWindow("Zarvex.exe", "TForm1");
    Measure("name not resolved", "Zarvex.exe", runs);
    Measure("connection refused", "zarvex-loopback.exe", runs);
    {
        LoopbackServer server({SilentResponse()}, ZARVEX_TEST_UPDATE_PORT);
        Measure("silent server", "zarvex-loopback.exe", runs);
        server.ReleaseHeldConnections();
    }
    {
        LoopbackServer server({DrippingResponse(500)}, ZARVEX_TEST_UPDATE_PORT);
        Measure("dripping server", "zarvex-loopback.exe", runs);
    }
    return 0;
}
