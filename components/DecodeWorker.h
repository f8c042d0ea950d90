// The threads of this process that decode pictures away from the window thread
// (two; one on a one-core machine), each in its own COM apartment. A view
// hands it jobs under an id of its own; each finished picture is kept for that
// id and its window is told by one posted message (until it takes what is
// there). A view that goes, or lists its pictures anew, cancels its id: its
// queued jobs are dropped and whatever finishes later for it is thrown away.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "PixelCache.h"

class DecodeWorker {
public:
    struct Job {
        std::uint64_t client = 0;
        int index = 0;
        std::string path;
        // The size the picture was measured at: a file that no longer has it
        // (rewritten since) counts as unreadable. Negative: not measured yet,
        // the result tells its size.
        int width = -1, height = -1;
    };
    struct Result {
        int index = 0;
        bool measuring = false;  // the job asked for the size
        bool opened = false;     // the file is a picture the codecs read
        int width = 0, height = 0;
        bool ok = false;         // `pixels` hold the picture
        PixelBuffer pixels;
    };

    DecodeWorker() = default;
    DecodeWorker(const DecodeWorker&) = delete;
    DecodeWorker& operator=(const DecodeWorker&) = delete;
    ~DecodeWorker();

    // The process's one worker (tests make their own).
    static DecodeWorker& Shared();
    // An id no other job of this process has had.
    static std::uint64_t NewClient();

    // Queues `job`; `message` is posted to `window` when a result for its
    // client is ready and none is posted yet since the last Take. The threads
    // start with the first job. False when none can be started. With two
    // threads, results may come in another order than their jobs.
    bool Request(HWND window, UINT message, Job job);
    // The finished pictures of `client`, in the order they finished.
    std::vector<Result> Take(std::uint64_t client);
    // Drops `client`'s queued jobs and results; what is under way for it is
    // thrown away when it finishes.
    void Cancel(std::uint64_t client);
    // Drops `client`'s queued decodes (not its reads) of pictures outside
    // [first, last), e.g. scrolled out of view; returns their indices.
    std::vector<int> Withdraw(std::uint64_t client, int first, int last);
    // Jobs queued or under way, for every client (tests).
    size_t Outstanding();

private:
    struct Outbox {
        HWND window = nullptr;
        UINT message = 0;
        bool posted = false;
        std::vector<Result> results;
    };
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::map<std::uint64_t, Outbox> outboxes_;
    size_t working_ = 0;  // jobs under way
    bool stop_ = false;
    std::vector<HANDLE> threads_;
};
