#include "StdCtrls.h"

#include "Forms.h"
#include "LayoutReader.h"

TForm* GetParentForm(TControl* control) {
    for (TControl* c = control; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c)) return form;
    return nullptr;
}

namespace {
TAlignment ReadAlignment(const layout::Value& v, TLayoutReader& r) {
    return static_cast<TAlignment>(r.Enum(v, {"taLeftJustify", "taRightJustify", "taCenter"}));
}
}  // namespace

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

void TLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TLabel::SetWordWrap(bool value) {
    if (value == wordWrap_) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTextCodePage(UINT codePage) {
    if (codePage == textCodePage_) return;
    textCodePage_ = codePage;
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::TextChanged() { AdjustBounds(); }
void TLabel::FontChanged() { AdjustBounds(); }

UINT TLabel::DrawTextFlags() const {
    UINT flags = DT_EXPANDTABS;
    if (alignment_ == taRightJustify) flags |= DT_RIGHT;
    else if (alignment_ == taCenter) flags |= DT_CENTER;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || Loading()) return;
    // An empty caption still keeps one line's height.
    std::string text = Caption();
    if (text.empty() || (showAccelChar_ && text == "&")) text += ' ';
    WindowDC screen(nullptr);
    SelectGuard font(screen.Get(), Font().Handle());
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    DrawTextInCodePage(screen.Get(), text, r, DrawTextFlags() | DT_CALCRECT, textCodePage_);
    if (!wordWrap_) r.right = TextInkWidth(screen.Get(), text, r, DrawTextFlags(), textCodePage_);
    int left = Left();
    if (alignment_ == taRightJustify) left += Width() - r.right;  // keep the right edge
    SetBounds(left, Top(), r.right, r.bottom);
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!transparent_) {
        canvas.Brush.Color = Color();
        canvas.Brush.Clear = false;
        canvas.FillRect(r);
    }
    const UINT flags = DrawTextFlags();
    if (Enabled()) {
        canvas.TextRect(r, Caption(), flags, textCodePage_);
        return;
    }
    // Disabled: the engraved look, a light copy under a shadowed one.
    canvas.Font.SetColor(clBtnHighlight);
    RECT light = r;
    OffsetRect(&light, 1, 1);
    canvas.TextRect(light, Caption(), flags, textCodePage_);
    canvas.Font.SetColor(clBtnShadow);
    canvas.TextRect(r, Caption(), flags, textCodePage_);
}

bool TLabel::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "AutoSize") SetAutoSize(r.Bool(v));
    else if (name == "Transparent") SetTransparent(r.Bool(v));
    else if (name == "Alignment") SetAlignment(ReadAlignment(v, r));
    else if (name == "WordWrap") SetWordWrap(r.Bool(v));
    else if (name == "ShowAccelChar") SetShowAccelChar(r.Bool(v));
    else return TGraphicControl::ReadProperty(name, v, r);
    return true;
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    TabStop = true;
}

DWORD TButton::ButtonStyle() const { return default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = "BUTTON";
    params.style |= ButtonStyle();
}

void TButton::SetDefault(bool value) {
    if (value == default_) return;
    default_ = value;
    if (HandleAllocated()) SendMessageA(handle_, BM_SETSTYLE, ButtonStyle(), TRUE);
}

void TButton::Click() {
    if (ModalResult != 0)
        if (TForm* form = GetParentForm(this)) form->ModalResult = ModalResult;
    TWinControl::Click();
}

bool TButton::HandleDialogKey(WORD key) {
    if (!CanFocus()) return false;
    if (key == VK_RETURN) {
        // The focused button takes Enter; the default one only while no other button has the focus.
        TWinControl* focused = TWinControl::FindControl(GetFocus());
        bool active = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
        if (!active) return false;
    } else if (key != VK_ESCAPE || !Cancel) {
        return false;
    }
    Click();
    return true;
}

LRESULT TButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND && HIWORD(wp) == BN_CLICKED) {
        Click();
        return 0;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

bool TButton::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Default") SetDefault(r.Bool(v));
    else if (name == "Cancel") Cancel = r.Bool(v);
    else if (name == "ModalResult") {
        ModalResult = v.kind == layout::Value::Kind::Integer
                          ? r.Int(v)
                          : r.Enum(v, {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore", "mrYes", "mrNo"});
    } else return TWinControl::ReadProperty(name, v, r);
    return true;
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 97, 17);
    TabStop = true;
    SetParentColor(true);
}

namespace {
DWORD CheckBoxStyle(bool allowGrayed, TAlignment alignment) {
    return (allowGrayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX) | (alignment == taLeftJustify ? BS_LEFTTEXT : 0);
}
}  // namespace

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = "BUTTON";
    params.style |= CheckBoxStyle(allowGrayed_, alignment_);
}

void TCheckBox::HandleCreated() { SendMessageA(handle_, BM_SETCHECK, state_, 0); }

TCheckBoxState TCheckBox::State() const {
    // The window's own state counts: it may have been toggled by keyboard or BM_SETCHECK.
    if (handle_) return static_cast<TCheckBoxState>(SendMessageA(handle_, BM_GETCHECK, 0, 0));
    return state_;
}

void TCheckBox::SetState(TCheckBoxState state) {
    if (state == State()) return;
    state_ = state;
    if (handle_) SendMessageA(handle_, BM_SETCHECK, state, 0);
    if (!Loading()) Click();
}

void TCheckBox::RecreateWithNewStyle() {
    if (!handle_) return;
    LONG style = GetWindowLongA(handle_, GWL_STYLE);
    style = (style & ~static_cast<LONG>(BS_TYPEMASK | BS_LEFTTEXT)) |
            static_cast<LONG>(CheckBoxStyle(allowGrayed_, alignment_));
    SetWindowLongA(handle_, GWL_STYLE, style);
    InvalidateRect(handle_, nullptr, TRUE);
}

void TCheckBox::SetAllowGrayed(bool value) {
    if (value == allowGrayed_) return;
    allowGrayed_ = value;
    if (!value && State() == cbGrayed) SetState(cbUnchecked);
    RecreateWithNewStyle();
}

void TCheckBox::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWithNewStyle();
}

LRESULT TCheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_COMMAND && HIWORD(wp) == BN_CLICKED) {
        state_ = State();
        Click();
        return 0;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

bool TCheckBox::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Checked") SetChecked(r.Bool(v));
    else if (name == "State") SetState(static_cast<TCheckBoxState>(r.Enum(v, {"cbUnchecked", "cbChecked", "cbGrayed"})));
    else if (name == "AllowGrayed") SetAllowGrayed(r.Bool(v));
    else if (name == "Alignment") SetAlignment(ReadAlignment(v, r));
    else return TWinControl::ReadProperty(name, v, r);
    return true;
}

// --------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = "BUTTON";
    params.style |= BS_GROUPBOX;
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCHITTEST:
        // The system group box lets the mouse fall through; ours hosts children.
        return HTCLIENT;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(handle_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, ColorBrush());
        return 1;
    }
    case WM_PAINT: {
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        // The system paint knows nothing of our windowless children.
        for (int i = 0; i < ControlCount(); ++i)
            if (dynamic_cast<TGraphicControl*>(Controls(i))) {
                WindowDC dc(handle_);
                PaintControls(dc.Get());
                break;
            }
        return result;
    }
    default:
        return TWinControl::WndProc(msg, wp, lp);
    }
}
