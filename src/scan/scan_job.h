#pragma once
// A scan on a thread of its own. The worker never touches a window: it queues what it learns
// and posts a message to the window, whose thread takes the queue with TakeEvents.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "scan/scan.h"

struct ScanEvent {
    enum class Kind { Status, Row, Notice, Done };
    Kind kind;
    std::string status;  // Status, Notice
    ScanRow row{};       // Row
    ScanOutcome outcome; // Done: always the last event
};

class ScanJob {
public:
    // Starts at once; `message` reaches `window` whenever events are waiting.
    ScanJob(const ScanChoices& choices, HWND window, UINT message);
    // Asks the scan to stop and waits for it: the removal in progress ends first.
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    void RequestStop() { stop_ = true; }
    bool StopRequested() const { return stop_; }
    std::vector<ScanEvent> TakeEvents();

private:
    class Progress;
    void Run(ScanChoices choices);
    void Push(ScanEvent event);

    HWND window_;
    UINT message_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<ScanEvent> events_;
    std::thread thread_;  // last, so it starts once the rest is ready
};
