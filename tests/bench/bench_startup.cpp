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

double Measure(const char* name, const std::string& exe, const char* className, int runs, double bare) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(TimeToWindow(exe, className));
    double median = Median(times);
    if (bare > 0) {
        double ratio = median / bare;
        std::printf("%-22s median %.0f ms of %d run(s) (min %.0f, max %.0f), ratio to bare %.2f (target <= 1.15) %s\n",
                    name, median, runs, *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), ratio, ratio <= 1.15 ? "OK" : "MISSED");
    } else {
        std::printf("%-22s median %.0f ms of %d run(s)\n", name, median, runs);
    }
    return median;
}

ScriptedResponse Silent() {
    ScriptedResponse silent;
    silent.keepOpen = true;
    return silent;
}

ScriptedResponse Dripping() {
    ScriptedResponse drip{HttpResponse(std::string(100000, 'x'))};
    drip.dripFrom = drip.bytes.size() - 100000;
    drip.dripBytes = 1;
    drip.dripPauseMs = 500;
    return drip;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TimeToWindow("zarvex-bare-window.exe", "ZarvexBareWindow");  // warm the caches once
    double bare = Measure("bare window", "zarvex-bare-window.exe", "ZarvexBareWindow", runs, 0);
    Measure("name not resolved", "Zarvex.exe", "TForm1", runs, bare);
    Measure("connection refused", "zarvex-loopback.exe", "TForm1", runs, bare);
    {
        LoopbackServer server({Silent()}, ZARVEX_TEST_UPDATE_PORT);
        Measure("silent server", "zarvex-loopback.exe", "TForm1", runs, bare);
        server.ReleaseHeldConnections();
    }
    {
        LoopbackServer server({Dripping()}, ZARVEX_TEST_UPDATE_PORT);
        Measure("dripping server", "zarvex-loopback.exe", "TForm1", runs, bare);
    }
    return 0;
}
