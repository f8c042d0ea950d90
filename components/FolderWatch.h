// TFolderWatch: tells its owner's thread about changes in a folder and
// everything below it, and about the folder itself coming and going.
//
// A worker thread waits (no processor time while nothing changes) on
// directory change notifications (ReadDirectoryChangesW, overlapped) for
// the folder, its whole subtree, and for the folder's parent, where the
// folder being removed, renamed away or coming back shows. The changes are
// queued; the first one of a batch posts a message to a hidden window of
// the thread that made the watch, which raises OnChange there. Take() hands
// the queued changes over. The constructor returns once the worker's first
// reads are in place, so every change made after it is reported.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "Classes.h"
#include "Events.h"

struct TFolderChange {
    // Relative to the watched folder, as reported ("sub\\name.gif").
    std::string relativePath;
    // The folder itself came or went, or changes were lost (the system's
    // buffer overflowed): anything below it may differ.
    bool wholeFolder = false;
};

class TFolderWatch : public TComponent {
public:
    // Starts watching `folder` (no trailing backslash); it need not exist yet.
    TFolderWatch(TComponent* owner, const std::string& folder);
    ~TFolderWatch() override;
    const char* ClassName() const override { return "TFolderWatch"; }

    const std::string& Folder() const { return folder_; }
    // The worker runs (it could be started).
    bool Watching() const { return thread_ != nullptr; }
    // The changes since the last call, oldest first.
    std::vector<TFolderChange> Take();

    // Raised on the owner's thread when changes are waiting to be taken.
    TNotifyEvent OnChange;

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Run();
    void Queue(TFolderChange change);

    std::string folder_, parent_, name_;
    HWND window_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE armed_ = nullptr;  // set when the worker's first reads are in place
    HANDLE thread_ = nullptr;
    std::mutex mutex_;
    std::vector<TFolderChange> queued_;
};
