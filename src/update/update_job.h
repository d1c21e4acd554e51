#pragma once
// The update check on a thread of its own, so the window never waits for the network. The
// worker only says when it is done, through a callback (the window posts itself a message); the
// listener then takes the outcome.
#include <atomic>
#include <functional>
#include <thread>

#include "update/update_check.h"

class TIEHTTP;

class UpdateJob {
public:
    // Starts at once. `http` is used only by the worker until the job ends. `done` is called once,
    // on the worker's thread, when the outcome is ready; it must only hand the news on.
    UpdateJob(TIEHTTP& http, std::function<void()> done);
    // Aborts a request still running and waits for the worker (within about half a second).
    ~UpdateJob();
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    bool Done() const { return done_; }
    // Valid once Done().
    const UpdateOutcome& Outcome() const { return outcome_; }

private:
    TIEHTTP& http_;
    UpdateOutcome outcome_;
    std::atomic<bool> done_{false};
    std::thread thread_;  // last, so it starts once the rest is ready
};
