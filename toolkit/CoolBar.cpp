// TCoolBar and its bands: a rebar control holding tool bars.
#include "ToolBars.h"

#include <commctrl.h>

#include <algorithm>

#include "DpiScale.h"
#include "Exceptions.h"
#include "LayoutReader.h"

// ---------------------------------------------------------------- TCoolBand

void TCoolBand::SetControl(TWinControl* control) {
    if (control == control_) return;
    if (control_) bar_->RemoveFreeNotification(control_);
    control_ = control;
    if (control) bar_->FreeNotification(control);
    Changed();
}

void TCoolBand::Changed() { bar_->RecreateBands(); }

// ----------------------------------------------------------------- TCoolBar

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner) {}

TCoolBand& TCoolBar::AddBand() {
    bands_.push_back(std::unique_ptr<TCoolBand>(new TCoolBand(this)));
    return *bands_.back();
}

void TCoolBar::ClearBands() {
    for (auto& band : bands_)
        if (band->control_) RemoveFreeNotification(band->control_);
    bands_.clear();
    RecreateBands();
}

void TCoolBar::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustHeight();
}

void TCoolBar::SetEdgeBorders(TEdgeBorders borders) {
    edgeBorders_ = borders;
    EdgesChanged();
}

void TCoolBar::SetEdgeInner(TEdgeStyle style) {
    edgeInner_ = style;
    EdgesChanged();
}

void TCoolBar::SetEdgeOuter(TEdgeStyle style) {
    edgeOuter_ = style;
    EdgesChanged();
}

void TCoolBar::EdgesChanged() {
    if (!HandleAllocated()) return;
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    AdjustHeight();
}

void TCoolBar::ChangeScale(int toDpi, int fromDpi) {
    for (auto& band : bands_) {
        band->minHeight_ = dpi::Scale(band->minHeight_, toDpi, fromDpi);
        band->minWidth_ = dpi::Scale(band->minWidth_, toDpi, fromDpi);
        band->width_ = dpi::Scale(band->width_, toDpi, fromDpi);
    }
    TWinControl::ChangeScale(toDpi, fromDpi);
    RecreateBands();
}

int TCoolBar::EdgeWidth() const { return (edgeInner_ != esNone ? 1 : 0) + (edgeOuter_ != esNone ? 1 : 0); }

void TCoolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    bool changed = false;
    for (auto& band : bands_)
        if (band->control_ == component) {
            band->control_ = nullptr;
            changed = true;
        }
    if (changed && !Destroying()) RecreateBands();
}

void TCoolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = REBARCLASSNAMEA;
    params.style |= RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
}

void TCoolBar::HandleCreated() {
    // The frame was measured before our subclass saw WM_NCCALCSIZE.
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RecreateBands();
}

void TCoolBar::RecreateBands() {
    if (!HandleAllocated() || Destroying() || updatingBands_) return;
    updatingBands_ = true;
    HWND wnd = handle_;
    while (SendMessageA(wnd, RB_GETBANDCOUNT, 0, 0) > 0) SendMessageA(wnd, RB_DELETEBAND, 0, 0);
    UINT id = 0;
    for (auto& band : bands_) {
        ++id;
        if (!band->visible_) continue;
        REBARBANDINFOA info{};
        info.cbSize = REBARBANDINFOA_V6_SIZE;
        info.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_CHILDSIZE | RBBIM_ID | RBBIM_TEXT;
        info.fStyle = RBBS_GRIPPERALWAYS;
        if (band->break_) info.fStyle |= RBBS_BREAK;
        if (band->fixedSize_) info.fStyle = (info.fStyle & ~RBBS_GRIPPERALWAYS) | RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
        info.cx = static_cast<UINT>(band->width_);
        info.cxMinChild = static_cast<UINT>(band->minWidth_);
        info.cyMinChild = static_cast<UINT>(band->minHeight_);
        info.wID = id;
        std::string text = band->text_;
        info.lpText = text.data();
        if (band->control_) {
            info.fMask |= RBBIM_CHILD;
            info.hwndChild = band->control_->Handle();
        }
        if (!SendMessageA(wnd, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info))) {
            updatingBands_ = false;
            throw Exception("Unable to add a band to " + Name());
        }
    }
    updatingBands_ = false;
    AdjustHeight();
}

void TCoolBar::AdjustHeight() {
    if (!autoSize_ || !HandleAllocated() || bands_.empty()) return;
    RECT window, client;
    GetWindowRect(handle_, &window);
    GetClientRect(handle_, &client);
    int frame = (window.bottom - window.top) - client.bottom;
    auto bar = static_cast<int>(SendMessageA(handle_, RB_GETBARHEIGHT, 0, 0));
    if (bar > 0 && bar + frame != Height()) SetBounds(Left(), Top(), Width(), bar + frame);
}

LRESULT TCoolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        auto* r = reinterpret_cast<RECT*>(lp);  // also the first rectangle of NCCALCSIZE_PARAMS
        int e = EdgeWidth();
        if (edgeBorders_ & ebLeft) r->left += e;
        if (edgeBorders_ & ebTop) r->top += e;
        if (edgeBorders_ & ebRight) r->right -= e;
        if (edgeBorders_ & ebBottom) r->bottom -= e;
        return result;
    }
    case WM_NCPAINT: {
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        UINT edge = (edgeInner_ == esRaised ? BDR_RAISEDINNER : edgeInner_ == esLowered ? BDR_SUNKENINNER : 0) |
                    (edgeOuter_ == esRaised ? BDR_RAISEDOUTER : edgeOuter_ == esLowered ? BDR_SUNKENOUTER : 0);
        UINT sides = ((edgeBorders_ & ebLeft) ? BF_LEFT : 0) | ((edgeBorders_ & ebTop) ? BF_TOP : 0) |
                     ((edgeBorders_ & ebRight) ? BF_RIGHT : 0) | ((edgeBorders_ & ebBottom) ? BF_BOTTOM : 0);
        if (edge && sides) {
            HDC dc = GetWindowDC(handle_);
            RECT r;
            GetWindowRect(handle_, &r);
            OffsetRect(&r, -r.left, -r.top);
            DrawEdge(dc, &r, edge, sides);
            ReleaseDC(handle_, dc);
        }
        return result;
    }
    case CN_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->code == RBN_HEIGHTCHANGE) {
            AdjustHeight();
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

void TCoolBar::ReadBands(const layout::Value& v, TLayoutReader& r) {
    ClearBands();
    for (const auto& item : v.AsCollection()) {
        TCoolBand& band = AddBand();
        size_t index = bands_.size() - 1;
        for (const auto& p : item.props) {
            if (p.name == "Control") {
                r.Reference(p.value, [this, index](TComponent* c) {
                    auto* control = dynamic_cast<TWinControl*>(c);
                    if (!control) throw Exception(c->Name() + " cannot be held by a band");
                    bands_[index]->SetControl(control);
                });
            } else if (p.name == "MinHeight") band.minHeight_ = r.Int(p.value);
            else if (p.name == "MinWidth") band.minWidth_ = r.Int(p.value);
            else if (p.name == "Width") band.width_ = r.Int(p.value);
            else if (p.name == "Text") band.text_ = r.Str(p.value);
            else if (p.name == "Break") band.break_ = r.Bool(p.value);
            else if (p.name == "FixedSize") band.fixedSize_ = r.Bool(p.value);
            else if (p.name == "Visible") band.visible_ = r.Bool(p.value);
            else if (p.name == "ImageIndex") band.ImageIndex = r.Int(p.value);
            else throw Exception("unknown band property " + p.name + " (line " + std::to_string(p.line) + ")");
        }
    }
    RecreateBands();
}

bool TCoolBar::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "AutoSize") SetAutoSize(r.Bool(v));
    else if (name == "Bands") ReadBands(v, r);
    else if (name == "EdgeBorders") {
        TEdgeBorders borders = 0;
        for (const auto& side : v.AsSet()) {
            if (side == "ebLeft") borders |= ebLeft;
            else if (side == "ebTop") borders |= ebTop;
            else if (side == "ebRight") borders |= ebRight;
            else if (side == "ebBottom") borders |= ebBottom;
            else throw Exception("invalid edge border " + side);
        }
        SetEdgeBorders(borders);
    } else if (name == "EdgeInner") {
        SetEdgeInner(static_cast<TEdgeStyle>(r.Enum(v, {"esNone", "esRaised", "esLowered"})));
    } else if (name == "EdgeOuter") {
        SetEdgeOuter(static_cast<TEdgeStyle>(r.Enum(v, {"esNone", "esRaised", "esLowered"})));
    }
    else return TWinControl::ReadProperty(name, v, r);
    return true;
}
