// TXPMenu: settings, and putting the handlers into the owner's menus and
// taking them out again.
#include <cstring>

#include "Exceptions.h"
#include "Forms.h"
#include "ToolBars.h"
#include "XPMenu.h"

namespace {

using DrawEvent = TMenuDrawItemEvent;
using MeasureEvent = TMenuMeasureItemEvent;

// The toolkit has no control bar class; one from elsewhere is known by name.
bool IsControlBar(const TComponent* c) { return std::strcmp(c->ClassName(), "TControlBar") == 0; }

}  // namespace

TXPMenu::TXPMenu(TComponent* owner) : TComponent(owner) {
    LoadMenuFont(font_);
    if (owner) {
        ownerForm_ = dynamic_cast<TForm*>(owner);
        if (!ownerForm_) throw EInvalidCast("Invalid class typecast");
    }
    SelectFontColor = font_.Color();
    SetXPContainers(kAllXPContainers);
    SetXPControls(kAllXPControls);
}

TXPMenu::~TXPMenu() {
    // Whatever Active says: no item may keep a handler bound to us.
    try {
        if (Owner()) UpdateContainer(Owner(), false, false);
    } catch (...) {
        // Teardown goes on; the menus are going away with the form anyway.
    }
}

// ---------------------------------------------------------------- settings

void TXPMenu::SetFont(const TFont& font) {
    font_.Assign(font);
    RedrawMenuBar();
}

void TXPMenu::SetMenuBarColor(TColor color) {
    menuBarColor_ = color;
    RedrawMenuBar();
}

void TXPMenu::SetUseSystemColors(bool value) {
    useSystemColors_ = value;
    RedrawMenuBar();
}

void TXPMenu::SetOverrideOwnerDraw(bool value) {
    overrideOwnerDraw_ = value;
    if (active_ && Owner()) UpdateContainer(Owner(), true, true);
}

void TXPMenu::SetXPContainers(TXPContainers containers) {
    if (containers != xpContainers_ && active_ && Owner()) {
        // Detach under the old kinds, attach under the new ones.
        active_ = false;
        UpdateContainer(Owner(), false, true);
        active_ = true;
        xpContainers_ = containers;
        UpdateContainer(Owner(), true, true);
    }
    xpContainers_ = containers;
}

void TXPMenu::SetXPControls(TXPControls controls) {
    if (controls != xpControls_ && active_ && Owner()) {
        active_ = false;
        UpdateContainer(Owner(), false, true);
        active_ = true;
        xpControls_ = controls;
        UpdateContainer(Owner(), true, true);
    }
    xpControls_ = controls;
}

void TXPMenu::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (Owner()) UpdateContainer(Owner(), value, true);
    RedrawMenuBar();
}

void TXPMenu::RedrawMenuBar() {
    // A form without a window yet has no menu bar to redraw; its window is
    // not made early for this (it is made once its layout is complete).
    if (ownerForm_ && ownerForm_->HandleAllocated()) DrawMenuBar(ownerForm_->Handle());
}

void TXPMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (!active_ || !AutoDetect || operation != TOperation::opInsert || !Owner()) return;
    if (dynamic_cast<TMenuItem*>(component) || dynamic_cast<TToolButton*>(component) || IsControlBar(component))
        UpdateContainer(Owner(), true, true);
}

// ---------------------------------------------------------------- handlers

void TXPMenu::MenuItemDrawHandler(TObject* sender, TCanvas* canvas, RECT rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (active_ && item && canvas) DrawMenuItem(item, *canvas, rect, selected);
}

void TXPMenu::MenuItemMeasureHandler(TObject* sender, TCanvas* canvas, int& width, int& height) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (active_ && item && canvas) MeasureMenuItem(item, *canvas, width, height);
}

bool TXPMenu::IsOwnDrawHandler(const DrawEvent& slot) {
    return slot.Holds(DrawEvent::RoutineOf<TXPMenu, &TXPMenu::MenuItemDrawHandler>());
}

bool TXPMenu::IsOwnMeasureHandler(const MeasureEvent& slot) {
    return slot.Holds(MeasureEvent::RoutineOf<TXPMenu, &TXPMenu::MenuItemMeasureHandler>());
}

// -------------------------------------------------------------- attachment

void TXPMenu::UpdateContainer(TComponent* container, bool attach, bool repaint) {
    // By index: a handler run by the pass may add or remove components.
    for (int i = 0; i < container->ComponentCount(); ++i) {
        TComponent* c = container->Components(i);
        if (auto* menu = dynamic_cast<TMainMenu*>(c)) {
            if ((xpControls_ & XPBit(xcMainMenu)) && menu->Tag != kXPMenuSkipTag) UpdateMenu(menu, attach);
        } else if (auto* popup = dynamic_cast<TPopupMenu*>(c)) {
            // A pop-up menu's own Tag is not consulted; its items' are.
            if (xpControls_ & XPBit(xcPopupMenu)) UpdateMenu(popup, attach);
        } else if (auto* bar = dynamic_cast<TToolBar*>(c)) {
            if (xpControls_ & XPBit(xcToolbar)) UpdateToolBar(bar, attach, repaint);
        }
        // Control bars and the standard controls are not restyled by this
        // component (see the class comment); their switches are only stored.
        if (dynamic_cast<TForm*>(c)) UpdateContainer(c, attach, repaint);
    }
}

void TXPMenu::UpdateMenu(TMenu* menu, bool attach) {
    TMenuItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* item = root->Items(i);
        menu->SetOwnerDraw(attach);
        SetItemHandlers(item, attach);
        SetHandlersDeep(item, attach);
    }
}

void TXPMenu::SetHandlersDeep(TMenuItem* item, bool attach) {
    SetItemHandlers(item, attach);
    for (int i = 0; i < item->Count(); ++i) SetHandlersDeep(item->Items(i), attach);
}

void TXPMenu::SetItemHandlers(TMenuItem* item, bool attach) {
    if (attach) {
        if (item->Tag == kXPMenuSkipTag) return;
        if (!item->OnDrawItem || overrideOwnerDraw_)
            item->OnDrawItem = EVENT(DrawEvent, TXPMenu, MenuItemDrawHandler, this);
        if (!item->OnMeasureItem || overrideOwnerDraw_)
            item->OnMeasureItem = EVENT(MeasureEvent, TXPMenu, MenuItemMeasureHandler, this);
        return;
    }
    // An application's handlers are never touched.
    if (IsOwnDrawHandler(item->OnDrawItem)) item->OnDrawItem.Clear();
    if (IsOwnMeasureHandler(item->OnMeasureItem)) item->OnMeasureItem.Clear();
}

void TXPMenu::UpdateToolBar(TToolBar* bar, bool attach, bool repaint) {
    // Made flat; it stays flat after detaching. Its buttons keep the tool
    // bar's own painting.
    if (attach) bar->SetFlat(true);
    if (repaint) bar->Invalidate();
}

void TXPMenu::Hook(TMenuItem* item) {
    if (item->Tag == kXPMenuSkipTag || IsOwnDrawHandler(item->OnDrawItem)) return;
    SetItemHandlers(item, true);
}

void TXPMenu::HookAround(TMenuItem* item) {
    Hook(item);
    TMenuItem* parent = item->Parent();
    if (!parent) return;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* sibling = parent->Items(i);
        Hook(sibling);
        for (int j = 0; j < sibling->Count(); ++j) HookAround(sibling->Items(j));
    }
}

// ----------------------------------------------------------------- layouts

namespace {
std::uint16_t SetOf(const layout::Value& v, std::initializer_list<const char*> members) {
    std::uint16_t mask = 0;
    for (const auto& name : v.AsSet()) {
        int n = 0;
        for (const char* m : members) {
            if (name == m) break;
            ++n;
        }
        if (n == static_cast<int>(members.size())) throw Exception("invalid set member " + name);
        mask |= XPBit(n);
    }
    return mask;
}

std::uint8_t ByteOf(const layout::Value& v) {
    int n = v.AsInt();
    if (n < 0 || n > 255) throw Exception("value out of range 0..255");
    return static_cast<std::uint8_t>(n);
}
}  // namespace

bool TXPMenu::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "DimLevel") DimLevel = ByteOf(v);
    else if (name == "GrayLevel") GrayLevel = ByteOf(v);
    else if (ReadFontProperty(font_, name, v, r)) {}
    else if (name == "Color") Color = r.Color(v);
    else if (name == "IconBackColor") IconBackColor = r.Color(v);
    else if (name == "MenuBarColor") SetMenuBarColor(r.Color(v));
    else if (name == "SelectColor") SelectColor = r.Color(v);
    else if (name == "SelectBorderColor") SelectBorderColor = r.Color(v);
    else if (name == "SelectFontColor") SelectFontColor = r.Color(v);
    else if (name == "DisabledColor") DisabledColor = r.Color(v);
    else if (name == "SeparatorColor") SeparatorColor = r.Color(v);
    else if (name == "CheckedColor") CheckedColor = r.Color(v);
    else if (name == "IconWidth") IconWidth = r.Int(v);
    else if (name == "DrawSelect") DrawSelect = r.Bool(v);
    else if (name == "UseSystemColors") SetUseSystemColors(r.Bool(v));
    else if (name == "OverrideOwnerDraw") SetOverrideOwnerDraw(r.Bool(v));
    else if (name == "Gradient") Gradient = r.Bool(v);
    else if (name == "FlatMenu") FlatMenu = r.Bool(v);
    else if (name == "AutoDetect") AutoDetect = r.Bool(v);
    else if (name == "XPContainers")
        SetXPContainers(SetOf(v, {"xccForm", "xccFrame", "xccToolbar", "xccCoolbar", "xccControlbar", "xccPanel",
                                  "xccScrollBox", "xccGroupBox", "xccTabSheet", "xccPageScroller"}));
    else if (name == "XPControls")
        SetXPControls(SetOf(v, {"xcMainMenu", "xcPopupMenu", "xcToolbar", "xcControlbar", "xcCombo", "xcEdit",
                                "xcMaskEdit", "xcMemo", "xcRichEdit", "xcCheckBox", "xcRadioButton", "xcButton",
                                "xcBitBtn", "xcSpeedButton", "xcPanel", "xcGroupBox"}));
    else if (name == "Active") SetActive(r.Bool(v));
    else return false;
    return true;
}
