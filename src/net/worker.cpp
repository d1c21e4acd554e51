#include "net/worker.h"

#include <atomic>

namespace {
std::atomic<long> g_running{0};
}

long RunningRequestWorkers() { return g_running.load(); }

bool TTimeout::Start(std::shared_ptr<RequestState> state) {
    auto* worker = new TTimeout(std::move(state));
    ++g_running;
    // The thread frees itself; its handle is not needed by anyone.
    UniqueHandle thread(CreateThread(nullptr, 0, &TTimeout::ThreadMain, worker, 0, nullptr));
    if (!thread) {
        --g_running;
        delete worker;
        return false;
    }
    return true;
}

unsigned long __stdcall TTimeout::ThreadMain(void* self) {
    auto* worker = static_cast<TTimeout*>(self);
    worker->Execute();
    delete worker;
    --g_running;
    return 0;
}

void TTimeout::Execute() {
    RequestState& state = *state_;
    PerformRequest(state);
    state.workerDone.store(true);
    SetEvent(state.wakeEvent.get());
}
