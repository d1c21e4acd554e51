// Reading the body on the worker: as fast as the socket delivers, never past the cap, and a
// body shorter than its announced length is an error, never a result.
#include <algorithm>
#include <memory>
#include <vector>

#include "net/request_state.h"
#include "system/exception.h"

namespace {
// Wine's library reports only what its own 8 KiB buffer holds; when that is full the sender is
// ahead of us and more is waiting.
constexpr DWORD kLibraryBufferBytes = 8192;
constexpr DWORD kLargestRead = 1024 * 1024;
// A read that took this long means the sender slowed down: go back to small reads.
constexpr int64_t kSlowReadMs = 100;
constexpr size_t kFirstBlock = 64 * 1024, kLargestBlock = 4 * 1024 * 1024;

// The body as it arrives, in blocks: growing it never copies what came before, and a body cut
// at the cap never needed more room than the cap.
class BodyBlocks {
public:
    // Room for at least size bytes after what was committed.
    char* Room(size_t size) {
        if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
            size_t capacity = std::max(size, next_);
            next_ = std::min(next_ * 2, kLargestBlock);
            blocks_.push_back({std::unique_ptr<char[]>(new char[capacity]), capacity, 0});
        }
        return blocks_.back().data.get() + blocks_.back().used;
    }
    void Commit(size_t size) {
        blocks_.back().used += size;
        total_ += size;
    }
    uint64_t Size() const { return total_; }
    void Clear() {
        blocks_.clear();
        total_ = 0;
    }
    // The whole body in one string; each block is freed once copied.
    std::string Join() {
        std::string out;
        out.reserve(static_cast<size_t>(total_));
        for (auto& block : blocks_) {
            out.append(block.data.get(), block.used);
            block.data.reset();
        }
        Clear();
        return out;
    }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        size_t capacity, used;
    };
    std::vector<Block> blocks_;
    uint64_t total_ = 0;
    size_t next_ = kFirstBlock;
};

// What has arrived is always taken at once, so a slow drip never waits for a large block. Only
// while the library's buffer keeps coming back full is more asked for, doubling up to 1 MiB.
DWORD NextReadSize(DWORD available, DWORD& runSize) {
    if (available < kLibraryBufferBytes) {
        runSize = kLibraryBufferBytes;
        return available;
    }
    DWORD size = std::max(available, runSize);
    runSize = std::min(runSize * 2, kLargestRead);
    return std::min(size, std::max(available, kLargestRead));
}

std::wstring TooLarge(uint64_t cap) { return L"Response body larger than " + std::to_wstring(cap) + L" bytes"; }

void NoteProgress(RequestState& state, uint64_t received) {
    state.bytesReceived.store(static_cast<uint32_t>(std::min<uint64_t>(received, UINT32_MAX)));
    state.readCount.fetch_add(1);
    state.lastReadTime.store(MonotonicMilliseconds());
    ResetDeadline(state);
}
}  // namespace

void ReadResponse(RequestState& state, HINTERNET request, int64_t announced, DWORD& error) {
    const uint64_t cap = state.settings.maxBodyBytes;
    if (announced >= 0 && static_cast<uint64_t>(announced) > cap) {
        SetErrorText(state, TooLarge(cap));
        return;
    }
    BodyBlocks body;
    DWORD runSize = kLibraryBufferBytes;
    for (;;) {
        if (Stopped(state)) return;
        // Waits for at least one byte or the end; nothing available is the end of the body.
        DWORD available = 0;
        BOOL ok = InternetQueryDataAvailable(request, &available, 0, 0);
        DWORD read = 0;
        if (ok && available > 0) {
            uint64_t size = NextReadSize(available, runSize);
            if (announced > static_cast<int64_t>(body.Size()))
                size = std::min<uint64_t>(size, static_cast<uint64_t>(announced) - body.Size());
            // One byte past the cap is enough to know it was passed.
            size = std::min<uint64_t>(size, cap - body.Size() + 1);
            const int64_t started = MonotonicMilliseconds();
            ok = InternetReadFile(request, body.Room(static_cast<size_t>(size)), static_cast<DWORD>(size), &read);
            if (MonotonicMilliseconds() - started > kSlowReadMs) runSize = kLibraryBufferBytes;
        }
        if (state.timedOut.load()) return;
        // A read that fails ends the request with its error; retrying could loop for ever.
        if (!ok) {
            error = GetLastError();
            return;
        }
        if (read > 0) body.Commit(read);
        if (body.Size() > cap) {
            SetErrorText(state, TooLarge(cap));
            return;
        }
        NoteProgress(state, body.Size());
        if (state.abortRequested.load()) return;
        if (read > 0 && state.settings.signalEachRead && !SetEvent(state.wakeEvent.get()))
            throw Exception("SetEvent failed: " + ToAnsi(SystemErrorMessage(GetLastError())));
        if (read == 0) break;
    }
    // Wine reports a connection reset in the middle of a body as its normal end.
    if (announced >= 0 && body.Size() < static_cast<uint64_t>(announced)) {
        SetErrorText(state, L"Response body cut short: " + std::to_wstring(body.Size()) + L" of " +
                                std::to_wstring(announced) + L" bytes received");
        return;
    }
    state.responseBody = body.Join();
}
