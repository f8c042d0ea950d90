#include "CategoryTabs.h"

#include <windows.h>

#include <algorithm>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "FolderWatch.h"
#include "MainLogic.h"
#include "StartupSteps.h"
#include "main.h"
#include "mainobj.h"

TCategoryTabs::TCategoryTabs(TfrmMain* form) : TComponent(form), form_(form) {
    timer_ = new TTimer(this, false);
    timer_->OnTimer = TNotifyEvent::Bind<TCategoryTabs, &TCategoryTabs::TimerFired>(this);
}

TCategoryTabs::~TCategoryTabs() {
    for (const Tab& tab : tabs_) tab.sheet->OnShow.Clear();
}

void TCategoryTabs::Adopt(TTabSheet* sheet, const std::string& folder) {
    tabs_.push_back(Tab{sheet, folder});
    sheet->OnShow = TNotifyEvent::Bind<TCategoryTabs, &TCategoryTabs::SheetShown>(this);
    sheet->FreeNotification(this);  // a tab deleted elsewhere leaves the list
}

void TCategoryTabs::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    tabs_.erase(std::remove_if(tabs_.begin(), tabs_.end(), [&](const Tab& t) { return t.sheet == component; }),
                tabs_.end());
}

TCategoryTabs::Tab* TCategoryTabs::Find(TTabSheet* sheet) {
    for (Tab& tab : tabs_)
        if (tab.sheet == sheet) return &tab;
    return nullptr;
}

ticonbox* TCategoryTabs::Page(TTabSheet* sheet, bool make) {
    const Tab* tab = Find(sheet);
    if (!tab) return nullptr;
    for (int i = 0; i < sheet->ComponentCount(); ++i)
        if (auto* page = dynamic_cast<ticonbox*>(sheet->Components(i))) return page;
    if (!make) return nullptr;
    StartWatchIfDue();
    ++busy_;
    try {
        auto* page = new ticonbox(tab->folder, sheet);  // owned by its tab
        --busy_;
        return page;
    } catch (...) {
        --busy_;
        throw;
    }
}

// The active tab of a shown window: what the user sees.
bool TCategoryTabs::OnScreen(TTabSheet* sheet) const {
    return form_->Visible() && form_->PageControl1->ActivePage() == sheet;
}

void TCategoryTabs::SheetShown(TObject* sender) {
    auto* sheet = static_cast<TTabSheet*>(sender);
    if (!OnScreen(sheet)) return;  // made active while the window is hidden
    if (ticonbox* page = Page(sheet, true)) page->TabShown(sheet);
}

void TCategoryTabs::FormShown(TObject*) {
    if (TTabSheet* sheet = form_->PageControl1->ActivePage()) SheetShown(sheet);
}

// A timer's message comes only when the queue is otherwise empty: the watch
// starts once start-up is over and the window thread waits for input.
void TCategoryTabs::WatchLater() {
    watchDue_ = true;
    timer_->SetInterval(1);
    timer_->SetEnabled(true);
}

void TCategoryTabs::StartWatchIfDue() {
    if (!watchDue_) return;
    watchDue_ = false;
    watch_ = new TFolderWatch(this, form_->ImagesDir);  // in place when made
    watch_->OnChange = TNotifyEvent::Bind<TCategoryTabs, &TCategoryTabs::WatchChanged>(this);
    MarkStartupStep(kStepWatch);
}

void TCategoryTabs::TimerFired(TObject*) {
    timer_->SetEnabled(false);
    if (watchDue_) {
        StartWatchIfDue();
        return;
    }
    if (!pending_.Pending()) return;
    if (busy_ > 0 || pending_.WaitMs(GetTickCount()) > 0) {
        ScheduleRefresh();
        return;
    }
    Apply(pending_.Take());
}

void TCategoryTabs::WatchChanged(TObject*) {
    if (!watch_) return;
    const DWORD now = GetTickCount();
    for (const TFolderChange& change : watch_->Take())
        pending_.Note(library::Change{change.relativePath, change.wholeFolder}, now);
    ScheduleRefresh();
}

void TCategoryTabs::ScheduleRefresh() {
    if (!pending_.Pending()) return;
    const unsigned wait = std::max<unsigned>(pending_.WaitMs(GetTickCount()), busy_ > 0 ? 50 : 1);
    timer_->SetEnabled(false);
    timer_->SetInterval(wait);
    timer_->SetEnabled(true);
}

void TCategoryTabs::Apply(const library::PendingRefresh::Work& work) {
    ++busy_;
    try {
        if (work.categoryList) SyncCategoryList();
        for (const Tab& tab : std::vector<Tab>(tabs_)) {
            const std::string key = CategoryKey(LastPathComponent(tab.folder));
            if (!work.everyCategory && !work.categories.count(key)) continue;
            if (ticonbox* page = Page(tab.sheet, false)) page->LibraryChanged(OnScreen(tab.sheet));
        }
        // A tab that became active (a removed neighbour's, or the first new
        // one) shows its page.
        if (form_->Visible()) FormShown(form_);
    } catch (...) {
        --busy_;
        throw;
    }
    --busy_;
}

// The category folders on disk against the tabs: removed folders' tabs go
// (the selection moves to a neighbour), new folders' tabs come in tab order.
void TCategoryTabs::SyncCategoryList() {
    std::vector<std::string> found;
    const DWORD attributes = GetFileAttributesA(form_->ImagesDir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        ForEachEntry(
            form_->ImagesDir, true,
            [](void* target, const std::string& path) {
                static_cast<std::vector<std::string>*>(target)->push_back(LastPathComponent(path));
            },
            &found, false);
    // Tab order, as at start: the first tab made for a library that comes back is the one shown.
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return library::TabInsertIndex({b}, a) == 0;  // a goes before b in tab order
    });
    const bool wasEmpty = tabs_.empty();
    std::vector<std::string> shown;
    for (const Tab& tab : tabs_) shown.push_back(LastPathComponent(tab.folder));
    const library::CategoryDiff diff = library::DiffCategories(shown, found);
    for (const std::string& name : diff.removed)
        for (const Tab& tab : tabs_)
            if (lstrcmpiA(LastPathComponent(tab.folder).c_str(), name.c_str()) == 0) {
                RemoveTab(tab.sheet);
                break;
            }
    for (const std::string& name : diff.added) AddTab(form_->ImagesDir + "\\" + name);
    // As at start, the first tab is the active one.
    if (wasEmpty && !tabs_.empty()) form_->PageControl1->SetActivePageIndex(0);
}

void TCategoryTabs::AddTab(const std::string& folder) {
    TPageControl* pages = form_->PageControl1;
    // The category tabs in the order they show; other tabs are not counted.
    std::vector<TTabSheet*> order;
    for (int i = 0; i < pages->PageCount(); ++i)
        if (Find(pages->Pages(i))) order.push_back(pages->Pages(i));
    std::vector<std::string> names;
    for (TTabSheet* sheet : order) names.push_back(LastPathComponent(Find(sheet)->folder));
    const int at = library::TabInsertIndex(names, LastPathComponent(folder));
    const int pageIndex = at < static_cast<int>(order.size()) ? order[static_cast<size_t>(at)]->PageIndex()
                          : order.empty()                      ? 0
                                                               : order.back()->PageIndex() + 1;
    auto* sheet = new TTabSheet(pages);
    sheet->SetCaption(CategoryCaption(LastPathComponent(folder)));
    Adopt(sheet, folder);
    sheet->SetPageControl(pages);
    sheet->SetPageIndex(pageIndex);
}

void TCategoryTabs::RemoveTab(TTabSheet* sheet) {
    tabs_.erase(std::remove_if(tabs_.begin(), tabs_.end(), [&](const Tab& t) { return t.sheet == sheet; }),
                tabs_.end());
    delete sheet;  // leaves its page control, which makes a neighbour active
}
