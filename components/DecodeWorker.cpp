#include "DecodeWorker.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>

#include "PictureDecoder.h"

namespace {
constexpr size_t kBatch = 8;
// Two threads keep both cores of a small machine decoding while the window
// thread waits; one where there is only one core.
constexpr DWORD kMostThreads = 2;
}  // namespace

// Never destroyed: at exit the process ends the thread where it waits. A
// destructor run then could find the thread killed holding the lock.
DecodeWorker& DecodeWorker::Shared() {
    static DecodeWorker* const worker = new DecodeWorker;
    return *worker;
}

std::uint64_t DecodeWorker::NewClient() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

DecodeWorker::~DecodeWorker() {
    if (threads_.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    // A decode under way is bounded by the decoder's size limits; a thread
    // that does not end in time ends with the process.
    WaitForMultipleObjects(static_cast<DWORD>(threads_.size()), threads_.data(), TRUE, 5000);
    for (HANDLE thread : threads_) CloseHandle(thread);
}

bool DecodeWorker::Request(HWND window, UINT message, Job job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (threads_.empty()) {
            SYSTEM_INFO system{};
            GetSystemInfo(&system);
            const DWORD wanted = std::clamp<DWORD>(system.dwNumberOfProcessors, 1, kMostThreads);
            for (DWORD i = 0; i < wanted; ++i)
                if (HANDLE thread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr)) threads_.push_back(thread);
            if (threads_.empty()) return false;
        }
        Outbox& box = outboxes_[job.client];
        box.window = window;
        box.message = message;
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

std::vector<DecodeWorker::Result> DecodeWorker::Take(std::uint64_t client) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = outboxes_.find(client);
    if (it == outboxes_.end()) return {};
    std::vector<Result> taken;
    taken.swap(it->second.results);
    it->second.posted = false;
    return taken;
}

void DecodeWorker::Cancel(std::uint64_t client) {
    std::lock_guard<std::mutex> lock(mutex_);
    outboxes_.erase(client);
    for (auto it = queue_.begin(); it != queue_.end();)
        it = it->client == client ? queue_.erase(it) : it + 1;
}

std::vector<int> DecodeWorker::Withdraw(std::uint64_t client, int first, int last) {
    std::vector<int> withdrawn;
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end();) {
        const bool drop = it->client == client && it->width >= 0 && (it->index < first || it->index >= last);
        if (drop) withdrawn.push_back(it->index);
        it = drop ? queue_.erase(it) : it + 1;
    }
    return withdrawn;
}

size_t DecodeWorker::Outstanding() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size() + working_;
}

DWORD WINAPI DecodeWorker::ThreadMain(void* self) {
    // The codecs' objects live in this thread's own apartment.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    static_cast<DecodeWorker*>(self)->Run();
    if (com) CoUninitialize();
    return 0;
}

void DecodeWorker::Run() {
    PictureDecoder decoder;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        ++working_;
        lock.unlock();

        Result result;
        result.index = job.index;
        result.measuring = job.width < 0;
        PictureFile file;
        result.opened = decoder.Open(job.path, file);
        if (result.opened) {
            result.width = file.Width();
            result.height = file.Height();
            if (result.measuring || (result.width == job.width && result.height == job.height))
                result.ok = file.Decode(result.pixels);
        }
        file.Close();

        lock.lock();
        --working_;
        auto box = outboxes_.find(job.client);
        if (box == outboxes_.end()) continue;  // cancelled meanwhile
        try {
            box->second.results.push_back(std::move(result));
        } catch (...) {  // out of memory: the picture shows as unreadable
            result.ok = false;
            result.pixels = PixelBuffer{};
            try {
                box->second.results.push_back(std::move(result));
            } catch (...) {
                continue;
            }
        }
        // The window is told of a few pictures at a time (one paint for
        // them), or of the last of its jobs at once.
        const bool more = std::any_of(queue_.begin(), queue_.end(), [&](const Job& j) { return j.client == job.client; });
        if (!box->second.posted && (!more || box->second.results.size() >= kBatch))
            box->second.posted = PostMessageA(box->second.window, box->second.message, 0, 0) != FALSE;
    }
}
