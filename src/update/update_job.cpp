#include "update/update_job.h"

#include <windows.h>

#include <utility>

#include "net/iehttp.h"

UpdateJob::UpdateJob(TIEHTTP& http, std::function<void()> done)
    : http_(http), thread_([this, done = std::move(done)] {
          outcome_ = RunUpdateCheck(http_);
          done_ = true;
          done();
      }) {}

UpdateJob::~UpdateJob() {
    // The request clears the flag as it begins, so keep asking until the worker is through.
    while (!done_) {
        http_.AbortRequested = true;
        Sleep(50);
    }
    thread_.join();
}
