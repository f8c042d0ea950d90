// The Recent tab: the last pictures picked (RecentPictures), as a tab after
// the category tabs that shows only while it holds a picture, and their keys
// in Tovira.ini (section Recent, keys 1 to 24, full paths).
#pragma once
#include <string>

#include "Classes.h"
#include "RecentPictures.h"

class TPageControl;
class TTabSheet;
class TTimer;
class ticonbox;

// The process's list.
RecentPictures& RecentList();

// Reads the section Recent of `iniFile` into the list; entries that are not
// existing files with one of the four picture extensions are ignored.
void ReadRecentPictures(const std::string& iniFile);
// Replaces the section Recent of `iniFile` with the list. A read-only or
// unwritable file raises Exception "Unable to write to <file>", as the
// options do.
void WriteRecentPictures(const std::string& iniFile);

// Keeps the Recent tab of one page control in line with the list.
class TRecentTab : public TComponent {
public:
    explicit TRecentTab(TPageControl* pages);
    ~TRecentTab() override;
    const char* ClassName() const override { return "TRecentTab"; }

    // Drops the pictures that no longer exist, then makes the tab (or puts
    // it back, last) and shows the list on it when the list holds a
    // picture, or takes the tab out when it holds none.
    void Update();
    // Update on the next turn of the message loop: a pick may come from
    // this very page, whose handlers are still running.
    void UpdateSoon();

    // Null while there is no tab (the list has been empty so far).
    TTabSheet* Sheet() const { return sheet_; }
    ticonbox* Page() const { return page_; }

private:
    void SheetShown(TObject* sender);
    void TimerDue(TObject* sender);

    TPageControl* pages_;
    TTabSheet* sheet_ = nullptr;
    ticonbox* page_ = nullptr;
    TTimer* timer_ = nullptr;
};

// Puts the Recent tab on `pages` (after the tabs there now) when the list
// holds a picture, and keeps it in line from then on.
TRecentTab* ShowRecentTab(TPageControl* pages);
// The tab made by ShowRecentTab, or null.
TRecentTab* RecentTab();

// A pick of `path`: it goes to the front of the list, and the tab follows
// on the next turn of the message loop.
void RememberRecentPick(const std::string& path);
