#pragma once
// The update check on a thread of its own, so the window never waits for the network. The
// worker only posts `message` to the window when it is done; the window then takes the outcome.
#include <windows.h>

#include <atomic>
#include <thread>

#include "update/update_check.h"

class TIEHTTP;

class UpdateJob {
public:
    // Starts at once. `http` is used only by the worker until the job ends.
    UpdateJob(TIEHTTP& http, HWND window, UINT message);
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
