#include "update/update_job.h"

#include "net/iehttp.h"

UpdateJob::UpdateJob(TIEHTTP& http, HWND window, UINT message)
    : http_(http), thread_([this, window, message] {
          outcome_ = RunUpdateCheck(http_);
          done_ = true;
          PostMessageA(window, message, 0, 0);
      }) {}

UpdateJob::~UpdateJob() {
    // The request clears the flag as it begins, so keep asking until the worker is through.
    while (!done_) {
        http_.AbortRequested = true;
        Sleep(50);
    }
    thread_.join();
}
