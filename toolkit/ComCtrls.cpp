#include "ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "LayoutReader.h"

// --------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
    // Hidden until its page control makes it the active page.
    SetVisible(false);
}

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

void TTabSheet::SetParent(TWinControl* parent) {
    auto* pageControl = dynamic_cast<TPageControl*>(parent);
    if (pageControl_ && pageControl_ != pageControl) pageControl_->RemovePage(this);
    TCustomControl::SetParent(parent);
    if (pageControl && pageControl_ != pageControl) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
    if (pageControl_) pageControl_->MovePage(this, index);
}

void TTabSheet::TextChanged() {
    TCustomControl::TextChanged();
    if (pageControl_) pageControl_->UpdateTabText(this);
}

void TTabSheet::BoundsChanged() {
    TCustomControl::BoundsChanged();
    if (Width() == lastWidth_ && Height() == lastHeight_) return;
    lastWidth_ = Width();
    lastHeight_ = Height();
    OnResize(this);
}

bool TTabSheet::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "PageIndex") SetPageIndex(r.Int(v));
    else if (name == "OnResize") r.Event(v, OnResize);
    else if (name == "OnShow") r.Event(v, OnShow);
    else if (name == "OnHide") r.Event(v, OnHide);
    else return TCustomControl::ReadProperty(name, v, r);
    return true;
}

// ------------------------------------------------------------ TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 289, 193);
    TabStop = true;
}

TPageControl::~TPageControl() {
    // The sheets may outlive this part of the object (the base destroys owned
    // ones later); they must not call back into it.
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) return nullptr;
    return pages_[static_cast<size_t>(index)];
}

int TPageControl::ActivePageIndex() const {
    if (!activePage_) return -1;
    return static_cast<int>(std::find(pages_.begin(), pages_.end(), activePage_) - pages_.begin());
}

void TPageControl::SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    TTabSheet* previous = activePage_;
    activePage_ = page;
    SyncSelection();
    if (page == previous) return;
    if (page) page->SetVisible(true);
    if (previous) {
        // Keyboard focus must not stay on a hidden page.
        bool hadFocus = previous->HandleAllocated() && handle_ &&
                        (GetFocus() == previous->handle_ || IsChild(previous->handle_, GetFocus()));
        previous->SetVisible(false);
        if (hadFocus) ::SetFocus(handle_);
        previous->OnHide(previous);
    }
    if (page && activePage_ == page) page->OnShow(page);
}

void TPageControl::SelectNextPage(bool goForward) {
    const int count = PageCount();
    if (count < 2) return;
    const int current = std::max(ActivePageIndex(), 0);
    SetActivePage(Pages((current + (goForward ? 1 : count - 1)) % count));
    OnChange(this);
}

bool TPageControl::HandleDialogKey(WORD key) {
    if (key != VK_TAB || GetKeyState(VK_CONTROL) >= 0 || !handle_) return false;
    const HWND focus = GetFocus();
    if (focus != handle_ && !IsChild(handle_, focus)) return false;
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    return true;
}

void TPageControl::SetMultiLine(bool value) {
    if (value == multiLine_) return;
    multiLine_ = value;
    if (!handle_) return;
    LONG style = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, value ? style | TCS_MULTILINE : style & ~static_cast<LONG>(TCS_MULTILINE));
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    LayoutSheets();
}

RECT TPageControl::DisplayRect() {
    RECT r{0, 0, ClientWidth(), ClientHeight()};
    if (handle_) TabCtrl_AdjustRect(handle_, FALSE, &r);
    return r;
}

void TPageControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = WC_TABCONTROLA;
    if (multiLine_) params.style |= TCS_MULTILINE;
}

void TPageControl::HandleCreated() {
    for (int i = 0; i < PageCount(); ++i) InsertTab(i);
    SyncSelection();
    LayoutSheets();
}

void TPageControl::InsertTab(int index) {
    std::string text = pages_[static_cast<size_t>(index)]->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(handle_, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::UpdateTabText(TTabSheet* page) {
    if (!handle_) return;
    std::string text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(handle_, TCM_SETITEMA, static_cast<WPARAM>(page->PageIndex()), reinterpret_cast<LPARAM>(&item));
    LayoutSheets();  // a longer text may add a row
}

void TPageControl::SyncSelection() {
    if (handle_) SendMessageA(handle_, TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
}

void TPageControl::LayoutSheets() {
    if (!handle_) return;
    if (alignDisabled_ > 0) {
        alignPending_ = true;
        return;
    }
    RECT r = DisplayRect();
    for (TTabSheet* page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::LayoutSheet(TTabSheet* page) {
    if (!handle_) return;
    RECT r = DisplayRect();
    page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::DisableAlign() {
    if (alignDisabled_++ > 0 || !handle_ || IsWindowVisible(handle_)) return;
    batchStyle_ = GetWindowLongA(handle_, GWL_STYLE);
    SetWindowLongA(handle_, GWL_STYLE, (batchStyle_ & ~static_cast<LONG>(TCS_MULTILINE)) | TCS_FIXEDWIDTH);
}

void TPageControl::EnableAlign() {
    if (alignDisabled_ == 0 || --alignDisabled_ > 0) return;
    if (batchStyle_ && handle_) {
        SetWindowLongA(handle_, GWL_STYLE, batchStyle_);
        // The same font again: the control measures its tabs anew.
        SendMessageA(handle_, WM_SETFONT, SendMessageA(handle_, WM_GETFONT, 0, 0), FALSE);
        alignPending_ = true;
    }
    batchStyle_ = 0;
    if (!alignPending_) return;
    alignPending_ = false;
    LayoutSheets();
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    if (handle_) InsertTab(PageCount() - 1);
    LayoutSheets();
    // A new sheet has its size at once, also while the others wait.
    if (alignDisabled_ > 0) LayoutSheet(page);
    // A page control with pages always shows one.
    if (!activePage_) SetActivePage(page);
    else SyncSelection();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    const int index = static_cast<int>(it - pages_.begin());
    if (page == activePage_) {
        // The next page takes over, or the one before when it was the last.
        SetActivePage(index + 1 < PageCount() ? Pages(index + 1) : Pages(index - 1));
    }
    pages_.erase(pages_.begin() + index);
    page->pageControl_ = nullptr;
    if (handle_) SendMessageA(handle_, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    SyncSelection();
    LayoutSheets();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    const int from = static_cast<int>(it - pages_.begin());
    const int to = std::clamp(index, 0, PageCount() - 1);
    if (from == to) return;
    pages_.erase(it);
    pages_.insert(pages_.begin() + to, page);
    if (handle_) {
        SendMessageA(handle_, TCM_DELETEITEM, static_cast<WPARAM>(from), 0);
        InsertTab(to);
    }
    SyncSelection();
    LayoutSheets();
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case CN_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->code == TCN_SELCHANGE) {
            SetActivePage(Pages(static_cast<int>(SendMessageA(handle_, TCM_GETCURSEL, 0, 0))));
            OnChange(this);
            return 0;
        }
        break;
    }
    case WM_SIZE: {
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        LayoutSheets();
        return result;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

void TPageControl::FontChanged() {
    TWinControl::FontChanged();
    LayoutSheets();  // the tab height follows the font
}

bool TPageControl::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "MultiLine") SetMultiLine(r.Bool(v));
    else if (name == "OnChange") r.Event(v, OnChange);
    else if (name == "ActivePage")
        r.Reference(v, [this](TComponent* c) {
            auto* page = dynamic_cast<TTabSheet*>(c);
            if (!page) throw Exception(c->Name() + " is not a tab sheet");
            SetActivePage(page);
        });
    else return TWinControl::ReadProperty(name, v, r);
    return true;
}
