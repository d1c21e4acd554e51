#include "scan/scan_job.h"

#include <utility>

class ScanJob::Progress : public ScanProgress {
public:
    explicit Progress(ScanJob& job) : job_(job) {}
    void Status(const std::string& text) override {
        ScanEvent event{ScanEvent::Kind::Status};
        event.status = text;
        job_.Push(std::move(event));
    }
    void Row(const ScanRow& row) override {
        ScanEvent event{ScanEvent::Kind::Row};
        event.row = row;
        job_.Push(std::move(event));
    }
    bool StopRequested() override { return job_.StopRequested(); }
    void Notice(const std::string& text) override {
        ScanEvent event{ScanEvent::Kind::Notice};
        event.status = text;
        job_.Push(std::move(event));
    }

private:
    ScanJob& job_;
};

ScanJob::ScanJob(const ScanChoices& choices, std::function<void()> eventsWaiting)
    : eventsWaiting_(std::move(eventsWaiting)), thread_([this, choices] { Run(choices); }) {}

ScanJob::~ScanJob() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

std::vector<ScanEvent> ScanJob::TakeEvents() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(events_, {});
}

void ScanJob::Push(ScanEvent event) {
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> hold(lock_);
        wasEmpty = events_.empty();
        events_.push_back(std::move(event));
    }
    // Once for a batch: the listener takes everything queued when the news reaches it.
    if (wasEmpty) eventsWaiting_();
}

void ScanJob::Run(ScanChoices choices) {
    Progress progress(*this);
    ScanEvent done{ScanEvent::Kind::Done};
    done.outcome = RunScan(choices, progress);
    Push(std::move(done));
}
