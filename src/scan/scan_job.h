#pragma once
// A scan on a thread of its own. The worker never touches a window: it queues what it learns
// and says so through a callback (the window posts itself a message), and the listener's thread
// takes the queue with TakeEvents.
#include <atomic>
#include <functional>
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
    // Starts at once. `eventsWaiting` is called on the worker's thread when events come to an
    // empty queue; it must only hand the news on (post a message), never take the events itself.
    ScanJob(const ScanChoices& choices, std::function<void()> eventsWaiting);
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

    std::function<void()> eventsWaiting_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<ScanEvent> events_;
    std::thread thread_;  // last, so it starts once the rest is ready
};
