// The category tabs over time: each tab's icon page is made when the tab is
// first shown (so start-up does nothing per picture and, where the browser
// works, makes one browser object, not one per tab), and the tabs follow
// the picture library while the program runs: a folder watch on ImagesDir,
// set up from the message loop after start-up, collects changes; once they
// are quiet (LibraryChanges) new category folders get their tabs in tab
// order, removed ones lose theirs, and changed categories list their
// pictures again.
#pragma once
#include <string>
#include <vector>

#include "Classes.h"
#include "LibraryChanges.h"

class TfrmMain;
class TTabSheet;
class TTimer;
class TFolderWatch;
class ticonbox;

class TCategoryTabs : public TComponent {
public:
    // Owned by the main window, whose PageControl1 holds the tabs.
    explicit TCategoryTabs(TfrmMain* form);
    ~TCategoryTabs() override;
    const char* ClassName() const override { return "TCategoryTabs"; }

    // A tab made for the category folder `folder`; its page waits until the
    // tab is first shown.
    void Adopt(TTabSheet* sheet, const std::string& folder);
    // The tab's icon page, made now when `make` is set and it has none
    // yet; null for a tab that is not a category's.
    ticonbox* Page(TTabSheet* sheet, bool make);
    // The main window was shown: the active tab is now on the screen.
    void FormShown(TObject* sender);
    // Starts the folder watch from the message loop, after start-up, or
    // before the first page is listed if that comes sooner: a page listed
    // before the watch is in place could miss a change made meanwhile.
    void WatchLater();
    TFolderWatch* Watch() const { return watch_; }

    // Changes collected and not yet applied.
    bool ChangesPending() const { return pending_.Pending(); }

    // Quiet time after the last change, and the longest wait after the
    // first, before the tabs follow a burst of changes.
    static constexpr unsigned kQuietMs = 300;
    static constexpr unsigned kLongestMs = 1200;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct Tab {
        TTabSheet* sheet;
        std::string folder;  // full path
    };
    Tab* Find(TTabSheet* sheet);
    bool OnScreen(TTabSheet* sheet) const;
    void SheetShown(TObject* sender);
    void TimerFired(TObject* sender);
    void StartWatchIfDue();
    void WatchChanged(TObject* sender);
    void ScheduleRefresh();
    void Apply(const library::PendingRefresh::Work& work);
    void SyncCategoryList();
    void AddTab(const std::string& folder);
    void RemoveTab(TTabSheet* sheet);

    TfrmMain* form_;
    std::vector<Tab> tabs_;   // category tabs, in the order they were made
    TTimer* timer_ = nullptr;
    TFolderWatch* watch_ = nullptr;
    library::PendingRefresh pending_{kQuietMs, kLongestMs};
    bool watchDue_ = false;   // the watch is to start (WatchLater), and has not
    int busy_ = 0;            // a page is being made: a page's load may pump messages
};
