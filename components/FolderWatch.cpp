#include "FolderWatch.h"

#include <memory>

#include "Controls.h"
#include "Exceptions.h"

namespace {

constexpr char kWindowClass[] = "ToviraFolderWatch";
constexpr UINT kChangedMessage = WM_APP + 1;
// Past this many queued changes the details no longer help: one change of
// the whole folder stands for them.
constexpr size_t kMostQueued = 4096;
constexpr DWORD kBufferBytes = 64 * 1024;  // the network limit of ReadDirectoryChangesW
// How long the constructor waits for the first reads: opening a folder on a
// network share that does not answer must not hang the window thread.
constexpr DWORD kMostArmingMs = 5000;

std::string AnsiOf(const wchar_t* text, size_t length) {
    if (length == 0) return "";
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}

// One folder's notifications: the handle, a read in flight, its buffer.
// The buffer must outlive a read in flight, so a read that cannot be
// cancelled in time keeps its buffer (and its event) for good.
struct DirectoryReader {
    HANDLE dir = INVALID_HANDLE_VALUE;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped{};
    std::unique_ptr<DWORD[]> buffer{new DWORD[kBufferBytes / sizeof(DWORD)]};  // DWORD-aligned
    bool subtree = false;
    DWORD filter = 0;
    bool pending = false;

    ~DirectoryReader() {
        Close();
        if (event) CloseHandle(event);
    }
    bool Open(const std::string& path) {
        Close();
        dir = CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        return dir != INVALID_HANDLE_VALUE && Read();
    }
    bool Read() {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        ResetEvent(event);
        pending = ReadDirectoryChangesW(dir, buffer.get(), kBufferBytes, subtree, filter, nullptr, &overlapped,
                                        nullptr) != FALSE;
        if (!pending) Close();
        return pending;
    }
    void Close() {
        if (dir == INVALID_HANDLE_VALUE) return;
        if (pending) {
            CancelIo(dir);
            if (WaitForSingleObject(event, 2000) != WAIT_OBJECT_0) {
                // Still in flight: the system may yet write into the buffer.
                (void)buffer.release();
                event = nullptr;
            }
            pending = false;
        }
        CloseHandle(dir);
        dir = INVALID_HANDLE_VALUE;
        if (!event) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!buffer) buffer.reset(new DWORD[kBufferBytes / sizeof(DWORD)]);
    }
    bool IsOpen() const { return dir != INVALID_HANDLE_VALUE; }
    // The names of a completed read (empty with `overflowed` when the
    // system's buffer ran over); false when the read failed.
    bool Finish(std::vector<std::string>& names, bool& overflowed) {
        pending = false;
        DWORD bytes = 0;
        if (!GetOverlappedResult(dir, &overlapped, &bytes, FALSE)) return false;
        overflowed = bytes == 0;
        const auto* base = reinterpret_cast<const BYTE*>(buffer.get());
        for (DWORD offset = 0; bytes > 0;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            names.push_back(AnsiOf(info->FileName, info->FileNameLength / sizeof(WCHAR)));
            if (info->NextEntryOffset == 0 || offset + info->NextEntryOffset >= bytes) break;
            offset += info->NextEntryOffset;
        }
        return true;
    }
};

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

TFolderWatch::TFolderWatch(TComponent* owner, const std::string& folder) : TComponent(owner), folder_(folder) {
    const size_t slash = folder_.find_last_of("\\/");
    parent_ = slash == std::string::npos ? std::string(".") : folder_.substr(0, slash);
    if (parent_.size() == 2 && parent_[1] == ':') parent_ += '\\';  // a drive's root
    name_ = slash == std::string::npos ? folder_ : folder_.substr(slash + 1);

    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExA(&wc)) RaiseLastOSError();
        registered = true;
    }
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    if (!window_) RaiseLastOSError();
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    armed_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stop_ && armed_) thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    // A change made before the worker's reads are issued would never be seen.
    if (thread_) WaitForSingleObject(armed_, kMostArmingMs);
}

TFolderWatch::~TFolderWatch() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);  // it wakes on the event at once
        CloseHandle(thread_);
    }
    if (stop_) CloseHandle(stop_);
    if (armed_) CloseHandle(armed_);
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

std::vector<TFolderChange> TFolderWatch::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<TFolderChange> taken;
    taken.swap(queued_);
    return taken;
}

void TFolderWatch::Queue(TFolderChange change) {
    bool first;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        first = queued_.empty();
        if (queued_.size() >= kMostQueued) {
            if (!queued_.back().wholeFolder) queued_.push_back(TFolderChange{"", true});
            return;
        }
        queued_.push_back(std::move(change));
    }
    // One message per batch: the window thread takes them all at once.
    if (first) PostMessageA(window_, kChangedMessage, 0, 0);
}

DWORD WINAPI TFolderWatch::ThreadMain(void* self) {
    auto* watch = static_cast<TFolderWatch*>(self);
    try {
        watch->Run();
    } catch (...) {  // out of memory: the watch ends, the program goes on
    }
    SetEvent(watch->armed_);  // the constructor waits no longer for a watch that ended
    return 0;
}

void TFolderWatch::Run() {
    DirectoryReader parent, folder;
    parent.filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    folder.subtree = true;
    folder.filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                    FILE_NOTIFY_CHANGE_LAST_WRITE;
    parent.Open(parent_);
    folder.Open(folder_);
    SetEvent(armed_);
    for (;;) {
        HANDLE waits[3] = {stop_, parent.event, folder.event};
        const DWORD count = folder.IsOpen() ? 3 : parent.IsOpen() ? 2 : 1;
        const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        std::vector<std::string> names;
        bool overflowed = false;
        if (woke == WAIT_OBJECT_0 + 1) {
            const bool read = parent.Finish(names, overflowed);
            bool ours = overflowed || !read;
            for (const std::string& n : names) ours = ours || SameName(n, name_);
            if (ours) {
                // The folder came, went or was renamed: watch what is there now.
                folder.Open(folder_);
                Queue(TFolderChange{"", true});
            }
            if (!read || !parent.Read()) parent.Open(parent_);
        } else {
            if (!folder.Finish(names, overflowed) || !folder.Read()) {
                folder.Close();  // gone: the parent's watch sees it come back
                Queue(TFolderChange{"", true});
                continue;
            }
            if (overflowed) Queue(TFolderChange{"", true});
            for (std::string& n : names) Queue(TFolderChange{std::move(n), false});
        }
    }
    parent.Close();
    folder.Close();
}

LRESULT CALLBACK TFolderWatch::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kChangedMessage) {
        auto* self = reinterpret_cast<TFolderWatch*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self) {
            try {
                self->OnChange(self);
            } catch (...) {
                HandleCallbackException();
            }
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}
