#include "RecentTab.h"

#include <windows.h>

#include "ComCtrls.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "MainLogic.h"
#include "mainobj.h"

namespace {

constexpr char kRecentSection[] = "Recent";
TRecentTab* recentTab = nullptr;

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

RecentPictures& RecentList() {
    static RecentPictures list;
    return list;
}

void ReadRecentPictures(const std::string& iniFile) {
    std::vector<std::string> stored;
    for (size_t i = 1; i <= RecentPictures::kCapacity; ++i) {
        char value[2048];
        GetPrivateProfileStringA(kRecentSection, std::to_string(i).c_str(), "", value, sizeof value, iniFile.c_str());
        stored.emplace_back(value);
    }
    RecentList().Load(stored, FileExists);
}

void WriteRecentPictures(const std::string& iniFile) {
    // A read-only file is never written, as with the options.
    const DWORD attributes = GetFileAttributesA(iniFile.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Exception("Unable to write to " + iniFile);
    // The whole section anew: stale and unreadable keys go with it.
    WritePrivateProfileStringA(kRecentSection, nullptr, nullptr, iniFile.c_str());
    const std::vector<std::string>& paths = RecentList().Paths();
    for (size_t i = 0; i < paths.size(); ++i)
        if (!WritePrivateProfileStringA(kRecentSection, std::to_string(i + 1).c_str(), paths[i].c_str(),
                                        iniFile.c_str()))
            throw Exception("Unable to write to " + iniFile);
}

TRecentTab::TRecentTab(TPageControl* pages) : TComponent(pages), pages_(pages) {
    timer_ = new TTimer(this, false);
    timer_->SetInterval(1);
    timer_->OnTimer = TNotifyEvent::Bind<TRecentTab, &TRecentTab::TimerDue>(this);
    if (!recentTab) recentTab = this;
}

TRecentTab::~TRecentTab() {
    if (recentTab == this) recentTab = nullptr;
}

void TRecentTab::Update() {
    RecentPictures& list = RecentList();
    list.DropMissing(FileExists);
    if (list.Empty()) {
        if (sheet_ && sheet_->PageControl()) sheet_->SetPageControl(nullptr);
        return;
    }
    if (!sheet_) {
        sheet_ = new TTabSheet(pages_);
        sheet_->SetCaption(CategoryCaption("Recent"));
        sheet_->SetPageControl(pages_);
        page_ = new ticonbox(list.Paths(), sheet_);  // owned by its tab
    } else {
        if (!sheet_->PageControl()) sheet_->SetPageControl(pages_);
        page_->ShowFiles(list.Paths());
    }
    // Its own showing first brings the list up to date.
    sheet_->OnShow = TNotifyEvent::Bind<TRecentTab, &TRecentTab::SheetShown>(this);
}

void TRecentTab::UpdateSoon() { timer_->SetEnabled(true); }

void TRecentTab::TimerDue(TObject*) {
    timer_->SetEnabled(false);
    Update();
}

void TRecentTab::SheetShown(TObject*) {
    // A picture deleted since is dropped now; when none is left, the tab
    // goes on the next turn, not while the page control is showing it.
    RecentPictures& list = RecentList();
    if (list.DropMissing(FileExists)) {
        if (list.Empty()) {
            UpdateSoon();
            return;
        }
        page_->ShowFiles(list.Paths());
    }
    page_->TabShown(sheet_);
}

TRecentTab* ShowRecentTab(TPageControl* pages) {
    auto* tab = new TRecentTab(pages);  // owned by the page control
    tab->Update();
    return tab;
}

TRecentTab* RecentTab() { return recentTab; }

void RememberRecentPick(const std::string& path) {
    RecentList().Picked(path);
    if (recentTab) recentTab->UpdateSoon();
}
