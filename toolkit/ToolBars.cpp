#include "ToolBars.h"

#include <commctrl.h>

#include <algorithm>

#include "DpiScale.h"
#include "Exceptions.h"
#include "ImgList.h"
#include "LayoutReader.h"
#include "Menus.h"

namespace {
// Posted to a tool bar: drop down the menu of button wp (lp: by keyboard).
constexpr UINT CM_TRACKMENU = 0xB140;

// The tool bar whose menu is open, for the thread's menu message filter.
TToolBar* trackingBar = nullptr;
HHOOK menuFilterHook = nullptr;

LRESULT CALLBACK MenuFilterProc(int code, WPARAM wp, LPARAM lp) {
    if (code == MSGF_MENU && trackingBar) {
        try {
            if (trackingBar->FilterMenuMessage(*reinterpret_cast<MSG*>(lp))) return 1;
        } catch (...) {
            HandleCallbackException();
        }
    }
    return CallNextHookEx(menuFilterHook, code, wp, lp);
}

// Watches the open menu's messages for the lifetime of one TrackMenu turn.
class MenuFilter {
public:
    explicit MenuFilter(TToolBar* bar) : previous_(trackingBar) {
        trackingBar = bar;
        if (!menuFilterHook)
            menuFilterHook = SetWindowsHookExA(WH_MSGFILTER, MenuFilterProc, nullptr, GetCurrentThreadId());
    }
    MenuFilter(const MenuFilter&) = delete;
    MenuFilter& operator=(const MenuFilter&) = delete;
    ~MenuFilter() {
        trackingBar = previous_;
        if (!trackingBar && menuFilterHook) {
            UnhookWindowsHookEx(menuFilterHook);
            menuFilterHook = nullptr;
        }
    }

private:
    TToolBar* previous_;
};
}  // namespace

// -------------------------------------------------------------- TToolButton

TToolButton::TToolButton(TComponent* owner) : TControl(owner) { AnnounceInsertion(); }

TToolButton::~TToolButton() {
    if (toolBar_) toolBar_->RemoveButton(this);
}

int TToolButton::Index() const {
    if (!toolBar_) return -1;
    const auto& list = toolBar_->buttons_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TToolButton::SetParent(TWinControl* parent) {
    if (parent == Parent()) return;
    if (toolBar_) toolBar_->RemoveButton(this);
    TControl::SetParent(parent);
    if (auto* bar = dynamic_cast<TToolBar*>(parent)) bar->InsertButton(this);
}

void TToolButton::Changed() {
    if (toolBar_) toolBar_->RecreateButtons();
}

void TToolButton::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    Changed();
}

void TToolButton::SetGrouped(bool value) {
    if (value == grouped_) return;
    grouped_ = value;
    Changed();
}

void TToolButton::SetImageIndex(int index) {
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Changed();
}

void TToolButton::SetStyle(TToolButtonStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

bool TToolButton::Down() const {
    if (toolBar_ && toolBar_->HandleAllocated())
        return SendMessageA(toolBar_->handle_, TB_ISBUTTONCHECKED, static_cast<WPARAM>(commandId_), 0) != 0;
    return down_;
}

void TToolButton::SetDown(bool down) {
    down_ = down;
    if (toolBar_ && toolBar_->HandleAllocated())
        SendMessageA(toolBar_->handle_, TB_CHECKBUTTON, static_cast<WPARAM>(commandId_), MAKELPARAM(down, 0));
}

void TToolButton::SetMenuItem(TMenuItem* item) {
    if (item == menuItem_) return;
    if (menuItem_) RemoveFreeNotification(menuItem_);
    menuItem_ = item;
    if (item) FreeNotification(item);
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == menuItem_) menuItem_ = nullptr;
}

void TToolButton::TextChanged() { Changed(); }
void TToolButton::VisibleChanged() { Changed(); }
void TToolButton::EnabledChanged() { Changed(); }

bool TToolButton::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "AutoSize") SetAutoSize(r.Bool(v));
    else if (name == "Grouped") SetGrouped(r.Bool(v));
    else if (name == "ImageIndex") SetImageIndex(r.Int(v));
    else if (name == "Down") SetDown(r.Bool(v));
    else if (name == "Style")
        SetStyle(static_cast<TToolButtonStyle>(
            r.Enum(v, {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"})));
    else if (name == "MenuItem") {
        r.Reference(v, [this](TComponent* c) {
            auto* item = dynamic_cast<TMenuItem*>(c);
            if (!item) throw Exception(c->Name() + " is not a menu item");
            SetMenuItem(item);
        });
    } else return TControl::ReadProperty(name, v, r);
    return true;
}

// ----------------------------------------------------------------- TToolBar

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {}

TToolBar::~TToolBar() {
    for (TToolButton* b : buttons_) b->toolBar_ = nullptr;
    buttons_.clear();
}

void TToolBar::InsertButton(TToolButton* button) {
    buttons_.push_back(button);
    button->toolBar_ = this;
    button->commandId_ = nextCommand_++;
    RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), button), buttons_.end());
    button->toolBar_ = nullptr;
    if (menuButton_ == button) menuButton_ = nullptr;
    if (switchTo_ == button) switchTo_ = nullptr;
    if (!Destroying()) RecreateButtons();
}

void TToolBar::SetButtonWidth(int width) {
    buttonWidth_ = width;
    RecreateButtons();
}

void TToolBar::SetButtonHeight(int height) {
    buttonHeight_ = height;
    RecreateButtons();
}

void TToolBar::ChangeScale(int toDpi, int fromDpi) {
    TWinControl::ChangeScale(toDpi, fromDpi);
    buttonWidth_ = dpi::Scale(buttonWidth_, toDpi, fromDpi);
    buttonHeight_ = dpi::Scale(buttonHeight_, toDpi, fromDpi);
    // The window measures its buttons' captions in its font: again, then
    // the buttons at their new size.
    if (HandleAllocated()) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    RecreateButtons();
}

void TToolBar::SetFlat(bool value) {
    flat_ = value;
    ApplyStyle();
}

void TToolBar::SetShowCaptions(bool value) {
    showCaptions_ = value;
    RecreateButtons();
}

void TToolBar::SetList(bool value) {
    list_ = value;
    ApplyStyle();
}

void TToolBar::SetImages(TImageList* images) {
    if (images == images_) return;
    if (images_) RemoveFreeNotification(images_);
    images_ = images;
    if (images) FreeNotification(images);
    RecreateButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        if (!Destroying()) RecreateButtons();
    }
}

void TToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.systemClass = TOOLBARCLASSNAMEA;
    // Placed by us (or by a cool bar), never aligned to the parent's top.
    params.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (flat_) params.style |= TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;
    // Captions without images read best beside their (empty) image.
    if (list_ || (showCaptions_ && !images_)) params.style |= TBSTYLE_LIST;
}

void TToolBar::ApplyStyle() {
    if (!HandleAllocated()) return;
    TCreateParams params;
    CreateParams(params);
    SetWindowLongA(handle_, GWL_STYLE, static_cast<LONG>(params.style));
    RecreateButtons();
}

void TToolBar::HandleCreated() {
    SendMessageA(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    RecreateButtons();
}

void TToolBar::RecreateButtons() {
    if (!HandleAllocated() || Destroying()) return;
    HWND wnd = handle_;
    SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
    while (SendMessageA(wnd, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(wnd, TB_DELETEBUTTON, 0, 0);
    SendMessageA(wnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
    if (images_) SendMessageA(wnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
    else SendMessageA(wnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    for (TToolButton* b : buttons_) {
        TBBUTTON tb{};
        tb.idCommand = b->commandId_;
        bool separator = b->style_ == tbsSeparator || b->style_ == tbsDivider;
        if (separator) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = b->Width() > 0 ? b->Width() : 8;
        } else {
            tb.fsStyle = b->style_ == tbsCheck ? BTNS_CHECK : b->style_ == tbsDropDown ? BTNS_DROPDOWN : BTNS_BUTTON;
            if (b->autoSize_) tb.fsStyle |= BTNS_AUTOSIZE;
            if (b->grouped_) tb.fsStyle |= BTNS_GROUP;
            tb.iBitmap = (images_ && b->imageIndex_ >= 0) ? b->imageIndex_ : I_IMAGENONE;
            // The tool bar keeps its own copy of the text.
            tb.iString = showCaptions_ ? reinterpret_cast<INT_PTR>(b->Caption().c_str()) : -1;
        }
        tb.fsState = 0;
        if (b->Enabled()) tb.fsState |= TBSTATE_ENABLED;
        if (!b->Visible()) tb.fsState |= TBSTATE_HIDDEN;
        if (b->down_ && b->style_ == tbsCheck) tb.fsState |= TBSTATE_CHECKED;
        SendMessageA(wnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(wnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
    SendMessageA(wnd, TB_AUTOSIZE, 0, 0);
    SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(wnd, nullptr, TRUE);
    SyncButtonBounds();
}

void TToolBar::SyncButtonBounds() {
    if (!HandleAllocated()) return;
    for (TToolButton* b : buttons_) {
        RECT r = ButtonRect(b);
        b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
}

RECT TToolBar::ButtonRect(const TToolButton* button) {
    RECT r{};
    int index = button ? button->Index() : -1;
    if (index < 0 || !HandleAllocated()) return r;
    if (!SendMessageA(handle_, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        r = RECT{};
    return r;
}

TToolButton* TToolBar::ButtonAt(POINT p) {
    if (!HandleAllocated()) return nullptr;
    auto index = static_cast<int>(SendMessageA(handle_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    // A negative index is a separator or no button.
    if (index < 0 || index >= ButtonCount()) return nullptr;
    return buttons_[static_cast<size_t>(index)];
}

TToolButton* TToolBar::ButtonOfCommand(int id) const {
    for (TToolButton* b : buttons_)
        if (b->commandId_ == id) return b;
    return nullptr;
}

namespace {
bool CanDropDown(const TToolButton* b) {
    return b && b->Visible() && b->Enabled() && b->MenuItem() && b->MenuItem()->Count() > 0;
}
}  // namespace

TToolButton* TToolBar::NeighbourMenuButton(TToolButton* from, int step) const {
    int count = ButtonCount();
    int index = from ? from->Index() : -1;
    if (index < 0) return nullptr;
    for (int i = 1; i < count; ++i) {
        TToolButton* b = buttons_[static_cast<size_t>(((index + step * i) % count + count) % count)];
        if (CanDropDown(b)) return b;
    }
    return nullptr;
}

void TToolBar::TrackMenu(TToolButton* button, bool byKeyboard) {
    if (tracking_ || !HandleAllocated()) return;
    tracking_ = true;
    TMenuItem* chosen = nullptr;
    try {
        while (CanDropDown(button)) {
            RECT r = ButtonRect(button);
            MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&r), 2);
            int id = button->commandId_;
            SendMessageA(handle_, TB_PRESSBUTTON, static_cast<WPARAM>(id), MAKELPARAM(TRUE, 0));
            UpdateWindow(handle_);
            menuButton_ = button;
            GetCursorPos(&lastCursor_);
            switchTo_ = nullptr;
            switchByKeyboard_ = false;
            // Entered from the keyboard: the menu opens with its first item selected.
            if (byKeyboard) PostMessageA(handle_, WM_KEYDOWN, VK_DOWN, 0);
            {
                MenuFilter filter(this);
                chosen = TrackMenuItemPopup(button->MenuItem(), POINT{r.left, r.bottom},
                                            TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL, &r);
            }
            if (HandleAllocated()) SendMessageA(handle_, TB_PRESSBUTTON, static_cast<WPARAM>(id), MAKELPARAM(FALSE, 0));
            menuButton_ = nullptr;
            button = switchTo_;
            byKeyboard = switchByKeyboard_;
            switchTo_ = nullptr;
            if (button) chosen = nullptr;
        }
    } catch (...) {
        tracking_ = false;
        menuButton_ = nullptr;
        throw;
    }
    tracking_ = false;
    // Last: the handler may free this tool bar.
    if (chosen && chosen->Enabled()) chosen->Click();
}

bool TToolBar::FilterMenuMessage(const MSG& msg) {
    if (!menuButton_ || !HandleAllocated()) return false;
    if (msg.message == WM_MOUSEMOVE) {
        // Only a pointer that really moves picks another menu: a menu opening
        // under a resting pointer gets a mouse move too.
        if (msg.pt.x == lastCursor_.x && msg.pt.y == lastCursor_.y) return false;
        lastCursor_ = msg.pt;
        POINT p = msg.pt;
        ::ScreenToClient(handle_, &p);
        TToolButton* over = ButtonAt(p);
        if (over && over != menuButton_ && CanDropDown(over)) {
            switchTo_ = over;
            switchByKeyboard_ = false;
            EndMenu();
            return true;
        }
        return false;
    }
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT)) {
        TMenuSelection selection = LastMenuSelection();
        HMENU top = menuButton_->MenuItem()->Handle();
        bool inTopMenu = !selection.menu || selection.menu == top;
        // Left closes an open sub-menu, Right opens the selected one.
        if (msg.wParam == VK_LEFT && !inTopMenu) return false;
        if (msg.wParam == VK_RIGHT && (selection.flags & MF_POPUP)) return false;
        TToolButton* next = NeighbourMenuButton(menuButton_, msg.wParam == VK_RIGHT ? 1 : -1);
        if (!next || next == menuButton_) return false;
        switchTo_ = next;
        switchByKeyboard_ = true;
        EndMenu();
        return true;
    }
    return false;
}

bool TToolBar::IsShortCut(TShortCut shortCut) {
    if ((shortCut & (scAlt | scCtrl | scShift)) != scAlt || !HandleAllocated() || !IsWindowVisible(handle_))
        return false;
    char key = static_cast<char>(shortCut & 0xFF);
    for (TToolButton* b : buttons_) {
        if (!CanDropDown(b) || MnemonicOf(b->Caption()) != key) continue;
        // Dropped from the message loop, once this key message is done with.
        PostMessageA(handle_, CM_TRACKMENU, static_cast<WPARAM>(b->commandId_), 1);
        return true;
    }
    return false;
}

LRESULT TToolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        TToolButton* button = ButtonAt(p);
        if (CanDropDown(button)) {
            TrackMenu(button);
            return 0;
        }
        // The buttons are the tool bar's own: no windowless-child routing.
        return DefaultHandler(msg, wp, lp);
    }
    case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MOUSEMOVE: case WM_MOUSELEAVE:
        return DefaultHandler(msg, wp, lp);
    case CM_TRACKMENU:
        TrackMenu(ButtonOfCommand(static_cast<int>(wp)), lp != 0);
        return 0;
    case CN_COMMAND:
        if (TToolButton* button = ButtonOfCommand(LOWORD(wp))) {
            if (button->style_ == tbsCheck) button->down_ = button->Down();
            if (!button->MenuItem()) button->Click();
            return 0;
        }
        break;
    case WM_SIZE: {
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        SyncButtonBounds();
        return result;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

bool TToolBar::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "ButtonWidth") SetButtonWidth(r.Int(v));
    else if (name == "ButtonHeight") SetButtonHeight(r.Int(v));
    else if (name == "Flat") SetFlat(r.Bool(v));
    else if (name == "ShowCaptions") SetShowCaptions(r.Bool(v));
    else if (name == "List") SetList(r.Bool(v));
    else if (name == "Images") {
        r.Reference(v, [this](TComponent* c) {
            auto* images = dynamic_cast<TImageList*>(c);
            if (!images) throw Exception(c->Name() + " is not an image list");
            SetImages(images);
        });
    } else return TWinControl::ReadProperty(name, v, r);
    return true;
}
