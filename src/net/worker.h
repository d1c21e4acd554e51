#pragma once
#include <memory>

#include "net/request_state.h"

// The worker thread of one request. It holds the request's record, runs the request sequence,
// marks the record done, wakes the caller and frees itself. Nobody waits for it or frees it.
class TTimeout {
public:
    // False when no thread could be made; the record is then left as it was.
    static bool Start(std::shared_ptr<RequestState> state);

private:
    explicit TTimeout(std::shared_ptr<RequestState> state) : state_(std::move(state)) {}
    static unsigned long __stdcall ThreadMain(void* self);
    void Execute();
    std::shared_ptr<RequestState> state_;
};

// Workers that have not yet ended, in the whole process.
long RunningRequestWorkers();
