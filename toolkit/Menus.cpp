#include "Menus.h"

#include <stddef.h>

#include <algorithm>
#include <map>
#include <set>

#include "Exceptions.h"
#include "ImgList.h"

namespace {

// Every live item, its command identifier and its Win32 menu, so that
// messages carrying an item pointer, a command or a menu handle are only
// ever mapped to items that still exist. Never freed: items of static
// objects may outlive any other static.
struct MenuRegistry {
    std::set<const TMenuItem*> live;
    std::map<UINT, TMenuItem*> commands;
    std::map<HMENU, TMenuItem*> menus;
    UINT nextCommand = 1;
    TMenuSelection selection;
};

MenuRegistry& Registry() {
    static auto* registry = new MenuRegistry;
    return *registry;
}

// Command identifiers stay below the system commands (0xF000 and up).
constexpr UINT kLastCommand = 0x7FFF;

UINT AllocateCommand(TMenuItem* item) {
    MenuRegistry& r = Registry();
    for (UINT tries = 0; tries < kLastCommand; ++tries) {
        UINT id = r.nextCommand;
        r.nextCommand = id >= kLastCommand ? 1 : id + 1;
        if (!r.commands.count(id)) {
            r.commands[id] = item;
            return id;
        }
    }
    throw Exception("Too many menu items");
}

TMenuItem* LiveItem(ULONG_PTR data) {
    auto* item = reinterpret_cast<TMenuItem*>(data);
    return Registry().live.count(item) ? item : nullptr;
}

TMenuItem* ItemOfCommand(UINT id) {
    auto& commands = Registry().commands;
    auto it = commands.find(id);
    return it == commands.end() ? nullptr : it->second;
}

// Owns pop-ups of menus that have no form: a hidden window that routes the
// menu messages like a form does.
LRESULT CALLBACK MenuWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        LRESULT result = 0;
        if (DispatchMenuMessage(wnd, msg, wp, lp, result)) return result;
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND MenuWindow() {
    static HWND wnd = nullptr;
    if (wnd && IsWindow(wnd)) return wnd;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MenuWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Tovira.MenuWindow";
    RegisterClassExA(&wc);  // fails harmlessly when already registered
    wnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          wc.hInstance, nullptr);
    if (!wnd) RaiseLastOSError();
    return wnd;
}

// Geometry of the toolkit's own owner-drawn items.
constexpr int kColumnMargin = 4;   // around the image / check column
constexpr int kTextGap = 4;        // between the column and the caption
constexpr int kShortCutGap = 24;   // between the caption and the short-cut
constexpr int kRightMargin = 16;   // room for the sub-menu arrow
constexpr int kSeparatorHeight = 9;

}  // namespace

// ------------------------------------------------------------------ helpers

void LoadMenuFont(TFont& font) {
    NONCLIENTMETRICSA metrics{};
    // The size without the Vista field, which older systems refuse.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0)) return;
    const LOGFONTA& lf = metrics.lfMenuFont;
    font.SetName(lf.lfFaceName);
    font.SetHeight(lf.lfHeight);
    font.SetCharset(lf.lfCharSet);
    TFontStyles style = 0;
    if (lf.lfWeight >= FW_BOLD) style |= fsBold;
    if (lf.lfItalic) style |= fsItalic;
    font.SetStyle(style);
    font.SetColor(clMenuText);
}

TMenuSelection LastMenuSelection() { return Registry().selection; }

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    Registry().live.insert(this);
    command_ = AllocateCommand(this);
    AnnounceInsertion();
}

TMenuItem::~TMenuItem() {
    MarkDestroying();
    if (parent_) parent_->Remove(this);
    // Children owned elsewhere stay alive, detached; unowned ones go with us.
    for (TMenuItem* child : std::vector<TMenuItem*>(items_)) {
        child->parent_ = nullptr;
        if (!child->Owner()) delete child;
    }
    items_.clear();
    DestroyHandle();
    Registry().commands.erase(command_);
    Registry().live.erase(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

void TMenuItem::SetDefault(bool value) {
    if (value == default_) return;
    default_ = value;
    Changed();
}

void TMenuItem::SetRadioItem(bool value) {
    if (value == radioItem_) return;
    radioItem_ = value;
    Changed();
}

void TMenuItem::SetImageIndex(int index) {
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    if (shortCut == shortCut_) return;
    shortCut_ = shortCut;
    Changed();
}

void TMenuItem::SetBitmap(TBitmap bitmap) {
    bitmap_ = std::move(bitmap);
    Changed();
}

void TMenuItem::SetSubMenuImages(TImageList* images) {
    if (images == subMenuImages_) return;
    if (subMenuImages_) RemoveFreeNotification(subMenuImages_);
    subMenuImages_ = images;
    if (images) FreeNotification(images);
    RebuildTree();
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == subMenuImages_) {
        subMenuImages_ = nullptr;
        if (!Destroying()) RebuildTree();
    }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->parent_) throw Exception("Menu item " + item->Name() + " already has a parent");
    for (TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw Exception("A menu item cannot hold itself");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    // The new item's look depends on its new menu (owner drawing, images).
    item->RebuildTree();
    if (handle_) RebuildHandle();
    Changed();  // our own entry may now need a sub-menu
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    if (handle_) RebuildHandle();
    if (!Destroying()) Changed();
}

TComponent* TMenuItem::ParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* top = this;
    while (top->parent_) top = top->parent_;
    return top->menu_;
}

bool TMenuItem::IsOwnerDraw() const {
    TMenu* menu = GetParentMenu();
    if (!menu || !parent_) return false;
    if (menu->OwnerDraw()) return true;
    bool barItem = menu->IsBar() && parent_->menu_;
    if (barItem) return false;
    return menu->Images() || parent_->subMenuImages_ || bitmap_.Width() > 0;
}

TImageList* TMenuItem::ImagesForDrawing() const {
    if (parent_ && parent_->subMenuImages_) return parent_->subMenuImages_;
    TMenu* menu = GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

HMENU TMenuItem::Handle() {
    if (!handle_) {
        handle_ = (menu_ && menu_->IsBar()) ? CreateMenu() : CreatePopupMenu();
        if (!handle_) RaiseLastOSError();
        Registry().menus[handle_] = this;
        RebuildHandle();
    }
    return handle_;
}

void TMenuItem::RebuildHandle() {
    if (!handle_) return;
    // RemoveMenu keeps the children's own menus alive (DeleteMenu would not).
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
    TMenu* menu = GetParentMenu();
    bool bar = menu_ && menu_->IsBar();
    UINT position = 0;
    for (TMenuItem* child : items_) {
        if (!child->visible_) continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        if (child->IsLine()) info.fType |= MFT_SEPARATOR;
        if (child->IsOwnerDraw()) info.fType |= MFT_OWNERDRAW;
        if (child->radioItem_) info.fType |= MFT_RADIOCHECK;
        if (menu && menu->IsRightToLeft()) info.fType |= MFT_RIGHTORDER;
        if (child->checked_) info.fState |= MFS_CHECKED;
        if (!child->enabled_) info.fState |= MFS_GRAYED;
        if (child->default_) info.fState |= MFS_DEFAULT;
        info.wID = child->command_;
        info.hSubMenu = child->Count() > 0 ? child->Handle() : nullptr;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(child);
        // Owner-drawn items keep their text too: for readers of the menu and
        // for the system's accessibility.
        std::string text = bar ? child->caption_ : MenuEntryText(child->caption_, child->shortCut_);
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        if (!InsertMenuItemA(handle_, position, TRUE, &info)) RaiseLastOSError();
        ++position;
    }
    if (bar && menu) {
        TForm* form = menu->OwnerForm();
        if (form && form->HandleAllocated() && GetMenu(form->Handle()) == handle_) DrawMenuBar(form->Handle());
    }
}

void TMenuItem::RebuildTree() {
    RebuildHandle();
    for (TMenuItem* child : items_) child->RebuildTree();
}

void TMenuItem::DestroyHandle() {
    if (!handle_) return;
    while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
    Registry().menus.erase(handle_);
    DestroyMenu(handle_);
    handle_ = nullptr;
}

void TMenuItem::Changed() {
    if (parent_ && parent_->handle_) parent_->RebuildHandle();
}

void TMenuItem::Click() {
    if (AutoCheck) SetChecked(!checked_);
    OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
    DefaultMeasure(canvas, width, height);
    OnMeasureItem(this, &canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas& canvas, RECT rect, UINT state) {
    if (OnDrawItem) OnDrawItem(this, &canvas, rect, (state & ODS_SELECTED) != 0);
    else DefaultDraw(canvas, rect, state);
}

void TMenuItem::DefaultMeasure(TCanvas& canvas, int& width, int& height) {
    TMenu* menu = GetParentMenu();
    bool barItem = menu && menu->IsBar() && parent_ && parent_->menu_;
    if (default_) canvas.Font.SetStyle(canvas.Font.Style() | fsBold);
    SIZE text = canvas.TextExtent(StripMnemonic(caption_.empty() ? std::string(" ") : caption_));
    if (barItem) {
        width = text.cx + 2 * kColumnMargin;
        height = std::max<int>(text.cy + 4, GetSystemMetrics(SM_CYMENU));
        return;
    }
    int imageWidth = 0, imageHeight = 0;
    if (TImageList* images = ImagesForDrawing()) {
        imageWidth = images->Width();
        imageHeight = images->Height();
    } else if (bitmap_.Width() > 0) {
        imageWidth = bitmap_.Width();
        imageHeight = bitmap_.Height();
    }
    int column = std::max(imageWidth, GetSystemMetrics(SM_CXMENUCHECK)) + 2 * kColumnMargin;
    if (IsLine()) {
        width = column;
        height = kSeparatorHeight;
        return;
    }
    width = column + kTextGap + text.cx + kRightMargin;
    std::string keys = ShortCutText();
    if (!keys.empty()) width += kShortCutGap + canvas.TextWidth(keys);
    height = std::max<int>(text.cy + 6, imageHeight + 6);
}

namespace {
void DrawCheck(HDC dc, const RECT& box, COLORREF colour, bool radio) {
    int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    SelectGuard usePen(dc, pen.Get());
    if (radio) {
        GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
        SelectGuard useBrush(dc, brush.Get());
        Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
        return;
    }
    // The classic 7-pixel tick, three pixels thick.
    for (int i = 0; i < 3; ++i) {
        MoveToEx(dc, cx - 3, cy - 1 + i, nullptr);
        LineTo(dc, cx - 1, cy + 1 + i);
        LineTo(dc, cx + 4, cy - 4 + i);
    }
}
}  // namespace

void TMenuItem::DefaultDraw(TCanvas& canvas, RECT r, UINT state) {
    HDC dc = canvas.Handle();
    TMenu* menu = GetParentMenu();
    bool barItem = menu && menu->IsBar() && parent_ && parent_->menu_;
    bool disabled = !enabled_ || (state & (ODS_GRAYED | ODS_DISABLED));
    bool selected = (state & (ODS_SELECTED | ODS_HOTLIGHT)) && !IsLine();

    canvas.Brush.Clear = false;
    canvas.Brush.Color = selected ? clHighlight : (barItem ? clMenuBar : clMenu);
    canvas.FillRect(r);
    if (IsLine()) {
        RECT line{r.left + 2, (r.top + r.bottom) / 2 - 1, r.right - 2, (r.top + r.bottom) / 2 + 1};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }

    TColor textColour = disabled ? clGrayText : selected ? clHighlightText : clMenuText;
    canvas.Font.SetColor(textColour);
    if (default_) canvas.Font.SetStyle(canvas.Font.Style() | fsBold);
    UINT prefix = (state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    if (barItem) {
        canvas.TextRect(r, caption_, DT_SINGLELINE | DT_VCENTER | DT_CENTER | prefix);
        return;
    }

    TImageList* images = ImagesForDrawing();
    int imageWidth = images ? images->Width() : bitmap_.Width();
    int imageHeight = images ? images->Height() : bitmap_.Height();
    int columnWidth = std::max(imageWidth, GetSystemMetrics(SM_CXMENUCHECK)) + 2 * kColumnMargin;
    RECT column{r.left, r.top, r.left + columnWidth, r.bottom};
    bool hasImage = images ? (imageIndex_ >= 0 && imageIndex_ < images->Count()) : bitmap_.Width() > 0;
    if (hasImage) {
        int x = column.left + (columnWidth - imageWidth) / 2;
        int y = r.top + (r.bottom - r.top - imageHeight) / 2;
        if (checked_) {
            RECT frame{x - 2, y - 2, x + imageWidth + 2, y + imageHeight + 2};
            DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
        }
        if (images) images->Draw(dc, x, y, imageIndex_, !disabled);
        else bitmap_.DrawTransparent(dc, x, y, bitmap_.TransparentColor());
    } else if (checked_) {
        DrawCheck(dc, column, ColorToRGB(textColour), radioItem_);
    }

    RECT text{column.right + kTextGap, r.top, r.right - kRightMargin, r.bottom};
    canvas.TextRect(text, caption_, DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
    std::string keys = ShortCutText();
    if (!keys.empty()) canvas.TextRect(text, keys, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

bool TMenuItem::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Caption") SetCaption(r.Str(v));
    else if (name == "Checked") SetChecked(r.Bool(v));
    else if (name == "Enabled") SetEnabled(r.Bool(v));
    else if (name == "Visible") SetVisible(r.Bool(v));
    else if (name == "Default") SetDefault(r.Bool(v));
    else if (name == "RadioItem") SetRadioItem(r.Bool(v));
    else if (name == "AutoCheck") AutoCheck = r.Bool(v);
    else if (name == "GroupIndex") GroupIndex = r.Int(v);
    else if (name == "ImageIndex") SetImageIndex(r.Int(v));
    else if (name == "ShortCut") SetShortCut(static_cast<TShortCut>(r.Int(v)));
    else if (name == "Hint") Hint = r.Str(v);
    else if (name == "Bitmap") {
        TBitmap picture;
        picture.LoadFromResourceName(GetModuleHandleA(nullptr), r.Str(v).c_str());
        SetBitmap(std::move(picture));
    } else if (name == "SubMenuImages") {
        r.Reference(v, [this](TComponent* c) {
            auto* images = dynamic_cast<TImageList*>(c);
            if (!images) throw Exception(c->Name() + " is not an image list");
            SetSubMenuImages(images);
        });
    } else if (name == "OnClick") r.Event(v, OnClick);
    else if (name == "OnDrawItem") r.Event(v, OnDrawItem);
    else if (name == "OnMeasureItem") r.Event(v, OnMeasureItem);
    else return false;
    return true;
}

void TMenuItem::AddLayoutChild(TComponent* child) {
    auto* item = dynamic_cast<TMenuItem*>(child);
    if (!item) throw Exception(Name() + " cannot hold a " + child->ClassName());
    Add(item);
}

// -------------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
    MarkDestroying();
    delete items_;
}

void TMenu::SetImages(TImageList* images) {
    if (images == images_) return;
    if (images_) RemoveFreeNotification(images_);
    images_ = images;
    if (images) FreeNotification(images);
    items_->RebuildTree();
}

void TMenu::SetOwnerDraw(bool value) {
    if (value == ownerDraw_) return;
    ownerDraw_ = value;
    items_->RebuildTree();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        if (!Destroying()) items_->RebuildTree();
    }
}

TForm* TMenu::OwnerForm() const {
    for (TComponent* c = Owner(); c; c = c->Owner())
        if (auto* form = dynamic_cast<TForm*>(c)) return form;
    return nullptr;
}

HWND TMenu::WindowHandle() const {
    if (TForm* form = OwnerForm())
        if (HWND wnd = form->Handle()) return wnd;
    return MenuWindow();
}

namespace {
TMenuItem* FindShortCut(TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->ShortCut() == shortCut && item->Enabled() && item->Visible()) return item;
        if (TMenuItem* found = FindShortCut(item, shortCut)) return found;
    }
    return nullptr;
}

TMenuItem* FindCommand(TMenuItem* parent, UINT command) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->Command() == command) return item;
        if (TMenuItem* found = FindCommand(item, command)) return found;
    }
    return nullptr;
}
}  // namespace

bool TMenu::IsShortCut(TShortCut shortCut) {
    if (shortCut == scNone) return false;
    TMenuItem* item = FindShortCut(items_, shortCut);
    if (!item) return false;
    item->Click();
    return true;
}

TMenuItem* TMenu::FindItem(UINT command) const { return FindCommand(items_, command); }

bool TMenu::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Images") {
        r.Reference(v, [this](TComponent* c) {
            auto* images = dynamic_cast<TImageList*>(c);
            if (!images) throw Exception(c->Name() + " is not an image list");
            SetImages(images);
        });
    } else if (name == "OwnerDraw") SetOwnerDraw(r.Bool(v));
    else if (name == "BiDiMode")
        BiDiMode = static_cast<TBiDiMode>(
            r.Enum(v, {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}));
    else return false;
    return true;
}

void TMenu::AddLayoutChild(TComponent* child) {
    auto* item = dynamic_cast<TMenuItem*>(child);
    if (!item) throw Exception(Name() + " cannot hold a " + child->ClassName());
    items_->Add(item);
}

// --------------------------------------------------------------- TPopupMenu

void TPopupMenu::Popup(int x, int y) {
    OnPopup(this);
    UINT align = Alignment == paRight ? TPM_RIGHTALIGN : Alignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
    if (TMenuItem* chosen = TrackMenuItemPopup(Items(), POINT{x, y}, align | TPM_TOPALIGN, nullptr))
        chosen->Click();
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
    // The old component stays registered: the link may serve it for other
    // references too (RemoveFreeNotification drops both directions).
    popupComponent_ = component;
    if (component) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TMenu::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

bool TPopupMenu::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Alignment") Alignment = static_cast<TPopupAlignment>(r.Enum(v, {"paLeft", "paRight", "paCenter"}));
    else if (name == "AutoPopup") AutoPopup = r.Bool(v);
    else if (name == "OnPopup") r.Event(v, OnPopup);
    else return TMenu::ReadProperty(name, v, r);
    return true;
}

// ------------------------------------------------------ pop-ups and routing

TMenuItem* TrackMenuItemPopup(TMenuItem* item, POINT at, UINT alignment, const RECT* exclude) {
    if (!item || item->Count() == 0) return nullptr;
    TMenu* menu = item->GetParentMenu();
    HWND owner = menu ? menu->WindowHandle() : MenuWindow();
    TPMPARAMS params{};
    params.cbSize = sizeof params;
    if (exclude) params.rcExclude = *exclude;
    UINT flags = alignment | TPM_RETURNCMD | TPM_LEFTBUTTON;
    auto command = static_cast<UINT>(TrackPopupMenuEx(item->Handle(), flags, at.x, at.y, owner,
                                                      exclude ? &params : nullptr));
    Registry().selection = TMenuSelection{};
    // Looked up again: the chosen item may have gone while the menu was open.
    return command ? ItemOfCommand(command) : nullptr;
}

namespace {
// Canvas set-up shared by measuring and painting: the system menu font.
void PrepareMenuCanvas(TCanvas& canvas) {
    LoadMenuFont(canvas.Font);
    canvas.Brush.Color = clMenu;
    canvas.Pen.Color = clMenuText;
}

// Owner-drawn items have no system mnemonics: find the item whose caption
// has `key` after its "&", by position among the visible children.
bool MenuCharCommand(HMENU menu, char key, LRESULT& result) {
    auto& menus = Registry().menus;
    auto it = menus.find(menu);
    if (it == menus.end() || key == 0) return false;
    TMenuItem* parent = it->second;
    int position = 0;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* child = parent->Items(i);
        if (!child->Visible()) continue;
        if (child->Enabled() && !child->IsLine() && MnemonicOf(child->Caption()) == key) {
            result = MAKELRESULT(position, MNC_EXECUTE);
            return true;
        }
        ++position;
    }
    return false;
}
}  // namespace

bool DispatchMenuMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis->CtlType != ODT_MENU) return false;
        TMenuItem* item = LiveItem(mis->itemData);
        if (!item) return false;
        WindowDC dc(wnd);
        TCanvas canvas(dc.Get());
        PrepareMenuCanvas(canvas);
        int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
        item->MeasureItem(canvas, width, height);
        mis->itemWidth = static_cast<UINT>(std::max(width, 0));
        mis->itemHeight = static_cast<UINT>(std::max(height, 0));
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis->CtlType != ODT_MENU) return false;
        TMenuItem* item = LiveItem(dis->itemData);
        if (!item) return false;
        int saved = SaveDC(dis->hDC);
        try {
            TCanvas canvas(dis->hDC);
            PrepareMenuCanvas(canvas);
            item->DrawItem(canvas, dis->rcItem, dis->itemState);
        } catch (...) {
            RestoreDC(dis->hDC, saved);
            throw;
        }
        RestoreDC(dis->hDC, saved);
        result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        auto key = static_cast<unsigned char>(LOWORD(wp) & 0xFF);
        if (key >= 'a' && key <= 'z') key = static_cast<unsigned char>(key - 'a' + 'A');
        return MenuCharCommand(reinterpret_cast<HMENU>(lp), static_cast<char>(key), result);
    }
    case WM_MENUSELECT:
        Registry().selection = TMenuSelection{reinterpret_cast<HMENU>(lp), HIWORD(wp), LOWORD(wp)};
        return false;
    case WM_COMMAND:
        // A menu bar command (pop-ups return their command instead).
        if (HIWORD(wp) == 0 && lp == 0)
            if (TMenuItem* item = ItemOfCommand(LOWORD(wp))) {
                if (item->Enabled()) item->Click();
                result = 0;
                return true;
            }
        return false;
    default:
        return false;
    }
}
