// TPageControl (the system tab control) and TTabSheet (one page of it).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"

class TPageControl;

// A page of a page control: a container filling the control's display area,
// shown while its tab is selected. Its caption is the tab's text.
class TTabSheet : public TCustomControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    const char* ClassName() const override { return "TTabSheet"; }

    TPageControl* PageControl() const { return pageControl_; }
    // Appends the sheet as the last tab of `pageControl` (null takes it out).
    void SetPageControl(TPageControl* pageControl);
    // Position among the tabs; -1 outside a page control.
    int PageIndex() const;
    // Moves the tab to `index` (clamped to the tabs there are).
    void SetPageIndex(int index);

    // Raised after the sheet's size changed (the page control resized, or its tab rows changed).
    TNotifyEvent OnResize;
    // Raised when the sheet becomes the active page (shown), and when it stops being it.
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void SetParent(TWinControl* parent) override;
    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void TextChanged() override;
    void BoundsChanged() override;
    // A page's window (and its children's) is made when the page is first
    // shown: under Wine each window costs, and a library has dozens of tabs.
    bool MakesWindowWhileHidden() const override { return false; }

private:
    TPageControl* pageControl_ = nullptr;
    int lastWidth_ = 0, lastHeight_ = 0;

    friend class TPageControl;
};

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    const char* ClassName() const override { return "TPageControl"; }

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    // Shows `page` and hides the others; null leaves no page active.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // Tabs wrap onto several rows instead of scrolling.
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    // The area the sheets cover, in client coordinates.
    RECT DisplayRect();
    // While disabled (the calls nest), a sheet added takes the display area
    // alone and the others keep their bounds; EnableAlign then lays out every
    // sheet once. Adding thousands of tabs to a multi-line control would
    // otherwise move every sheet each time the tabs take another row.
    // A hidden control also lays its tabs out on one row of fixed width
    // meanwhile: the tab control measures every tab at each insertion, which
    // for thousands of tabs costs seconds; EnableAlign measures them once.
    void DisableAlign();
    void EnableAlign();
    // Selects the next page (the previous one when `goForward` is false),
    // wrapping round, as the user would; raises OnChange.
    void SelectNextPage(bool goForward);
    // Ctrl+Tab and Ctrl+Shift+Tab while the focus is inside the control.
    bool HandleDialogKey(WORD key) override;

    // Raised when the user selects another tab.
    TNotifyEvent OnChange;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void FontChanged() override;

private:
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void InsertTab(int index);
    void UpdateTabText(TTabSheet* page);
    void SyncSelection();
    void LayoutSheets();
    void LayoutSheet(TTabSheet* page);

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    bool multiLine_ = false;
    int alignDisabled_ = 0;
    bool alignPending_ = false;  // a layout was skipped while disabled
    LONG batchStyle_ = 0;        // the style to restore after a batch of tabs; 0 when none

    friend class TTabSheet;
};
