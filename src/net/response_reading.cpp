// Reading the body on the worker: as fast as the socket delivers, never past the cap, and a
// body shorter than its announced length is an error, never a result.
#include <algorithm>
#include <memory>
#include <vector>

#include "net/request_state.h"
#include "system/exception.h"
#include "system/text_codes.h"

namespace {
// Wine's library reports only what its own 8 KiB buffer holds; when that is full the sender is
// ahead of us and more is waiting.
constexpr DWORD kLibraryBufferBytes = 8192;
constexpr DWORD kLargestRead = 1024 * 1024;
// A read that took this long means the sender slowed down: go back to small reads.
constexpr int64_t kSlowReadMs = 100;
constexpr size_t kFirstBlock = 64 * 1024, kLargestBlock = 4 * 1024 * 1024;
// An announced length sizes the first block, up to this much: a false one only costs address
// space that is never touched.
constexpr int64_t kLargestFirstBlock = 64 * 1024 * 1024;

// The body as it arrives, in blocks: growing it never copies what came before, and a body cut
// at the cap never needed more room than the cap. A body that fits its first block, as one with
// an announced length mostly does, becomes the result without a copy.
class BodyBlocks {
public:
    explicit BodyBlocks(int64_t announced)
        : next_(announced > 0 ? static_cast<size_t>(std::min<int64_t>(announced, kLargestFirstBlock)) : kFirstBlock) {}
    // Room for size bytes after what was committed; Commit says how many were filled.
    char* Room(size_t size) {
        if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < size) {
            std::string block;
            block.reserve(std::max(size, next_));
            next_ = std::min(std::max(next_ * 2, kFirstBlock), kLargestBlock);
            blocks_.push_back(std::move(block));
        }
        std::string& last = blocks_.back();
        filled_ = last.size();
        last.resize(filled_ + size);  // within the reserved room: nothing moves
        return last.data() + filled_;
    }
    void Commit(size_t size) {
        blocks_.back().resize(filled_ + size);
        total_ += size;
    }
    uint64_t Size() const { return total_; }
    void Clear() {
        blocks_.clear();
        total_ = 0;
    }
    // The whole body in one string; each block is freed once copied.
    std::string Join() {
        if (blocks_.size() == 1) {
            std::string only = std::move(blocks_.front());
            Clear();
            return only;
        }
        std::string out;
        out.reserve(static_cast<size_t>(total_));
        for (auto& block : blocks_) {
            out += block;
            std::string().swap(block);
        }
        Clear();
        return out;
    }

private:
    std::vector<std::string> blocks_;
    uint64_t total_ = 0;
    size_t filled_ = 0;
    size_t next_;
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
    ResetDeadline(state);
}
}  // namespace

void ReadResponse(RequestState& state, HINTERNET request, int64_t announced, DWORD& error) {
    const uint64_t cap = state.settings.maxBodyBytes;
    if (announced >= 0 && static_cast<uint64_t>(announced) > cap) {
        SetErrorText(state, TooLarge(cap));
        return;
    }
    BodyBlocks body(announced);
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
            // One byte past the cap is enough to know it was passed (the room never wraps: the
            // body is within the cap here).
            const uint64_t room = cap - body.Size();
            if (size > room) size = room + 1;
            const int64_t started = MonotonicMilliseconds();
            ok = InternetReadFile(request, body.Room(static_cast<size_t>(size)), static_cast<DWORD>(size), &read);
            body.Commit(ok ? read : 0);
            if (MonotonicMilliseconds() - started > kSlowReadMs) runSize = kLibraryBufferBytes;
        }
        if (state.timedOut.load()) return;
        // A read that fails ends the request with its error; retrying could loop for ever.
        if (!ok) {
            error = GetLastError();
            return;
        }
        if (body.Size() > cap) {
            SetErrorText(state, TooLarge(cap));
            return;
        }
        NoteProgress(state, body.Size());
        if (state.abortRequested.load()) return;
        if (read > 0 && state.settings.signalEachRead && !SetEvent(state.wakeEvent.get()))
            throw Exception("SetEvent failed: " + ToAnsi(InternetErrorMessage(GetLastError())));
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
