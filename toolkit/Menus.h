// Menus: TMenuItem trees under TMainMenu / TPopupMenu, mirrored into Win32
// menus. Items are created owner-drawn when their menu asks for it (or has an
// image list); the owner window's WM_MEASUREITEM / WM_DRAWITEM then reach the
// item's OnMeasureItem / OnDrawItem slots, or the toolkit's own painting.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Forms.h"
#include "Graphics.h"
#include "LayoutReader.h"
#include "MenuText.h"
#include "Picture.h"
#include "ShortCuts.h"

class TMenu;
class TImageList;

// Painting an owner-drawn item: sender (the item), a canvas on the menu's DC,
// the item rectangle, whether the item is selected.
using TMenuDrawItemEvent = TEvent<TObject*, TCanvas*, RECT, bool>;
// Measuring: width and height arrive holding the toolkit's own measure.
using TMenuMeasureItemEvent = TEvent<TObject*, TCanvas*, int&, int&>;

class TMenuItem : public TComponent, public TLayoutProperties, public TLayoutContainer {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // A separator is an item whose caption is "-".
    bool IsLine() const { return caption_ == "-"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    // Index into the menu's Images (or the parent's SubMenuImages); -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    // "Ctrl+X", "F1", ... shown right-aligned after the caption; empty for none.
    std::string ShortCutText() const { return ShortCutToText(shortCut_); }
    // A picture of the item's own, used when there is no image list image.
    const TBitmap& Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap bitmap);
    // Images for this item's children instead of the menu's Images.
    TImageList* SubMenuImages() const { return subMenuImages_; }
    void SetSubMenuImages(TImageList* images);

    bool AutoCheck = false;  // Click toggles Checked
    int GroupIndex = 0;
    std::string Hint;
    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    // Child items, in menu order.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_[static_cast<size_t>(index)]; }
    int IndexOf(const TMenuItem* item) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);

    TMenuItem* Parent() const { return parent_; }
    // The menu for a top-level item, the parent item otherwise.
    TComponent* ParentComponent() const;
    // The menu this item belongs to, or null.
    TMenu* GetParentMenu() const;
    // Command identifier of the item in its Win32 menu.
    UINT Command() const { return command_; }
    // The Win32 menu that lists the children (a pop-up menu, or the menu bar
    // for a main menu's root), created on demand and kept up to date.
    HMENU Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Whether this item is created owner-drawn.
    bool IsOwnerDraw() const;

    // Runs the item's command: AutoCheck, then OnClick.
    virtual void Click();

    // The toolkit's measuring and painting of an owner-drawn item: the
    // default measure, then OnMeasureItem; OnDrawItem when set, else the
    // default painting. `state` is the ODS_* word of WM_DRAWITEM.
    void MeasureItem(TCanvas& canvas, int& width, int& height);
    void DrawItem(TCanvas& canvas, RECT rect, UINT state);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    void AddLayoutChild(TComponent* child) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMenu;
    // Something shown in the parent's Win32 menu changed.
    void Changed();
    // Rebuilds this item's Win32 menu from its children.
    void RebuildHandle();
    void DestroyHandle();
    void RebuildTree();
    TImageList* ImagesForDrawing() const;
    void DefaultMeasure(TCanvas& canvas, int& width, int& height);
    void DefaultDraw(TCanvas& canvas, RECT rect, UINT state);

    std::string caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    TBitmap bitmap_;
    TImageList* subMenuImages_ = nullptr;

    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on a menu's root item only
    UINT command_ = 0;
    HMENU handle_ = nullptr;
};

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

class TMenu : public TComponent, public TLayoutProperties, public TLayoutContainer, public TShortCutHandler {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    const char* ClassName() const override { return "TMenu"; }

    // The root item; its children are the top-level items.
    TMenuItem* Items() const { return items_; }
    HMENU Handle() { return items_->Handle(); }

    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // Items are created owner-drawn (also when Images is set).
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    TBiDiMode BiDiMode = bdLeftToRight;
    bool IsRightToLeft() const { return BiDiMode != bdLeftToRight; }

    // The form that owns the menu (through the owner chain), or null.
    TForm* OwnerForm() const;
    // The window that owns the menu's pop-ups and receives its messages:
    // the owner form's window, or the toolkit's hidden menu window.
    HWND WindowHandle() const;
    // Whether this is a menu bar (a main menu's top-level items).
    virtual bool IsBar() const { return false; }

    // A matching enabled, visible item runs its Click.
    bool IsShortCut(TShortCut shortCut) override;
    int ShortCutPriority() const override { return 0; }
    // The item with this command identifier, or null.
    TMenuItem* FindItem(UINT command) const;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    void AddLayoutChild(TComponent* child) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* items_;
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
};

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    const char* ClassName() const override { return "TMainMenu"; }
    bool IsBar() const override { return true; }
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
    const char* ClassName() const override { return "TPopupMenu"; }

    TPopupAlignment Alignment = paLeft;
    // Whether the menu's users open it themselves (a right click, a tray icon).
    bool AutoPopup = true;
    TNotifyEvent OnPopup;
    // Shows the menu at screen point (x, y), returns when it closes and then
    // runs the chosen item.
    void Popup(int x, int y);

    // The component that opened the menu last; cleared when it goes away.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TComponent* popupComponent_ = nullptr;
};

// Shows `item`'s children as a pop-up menu at screen point `at` (TPM_*
// alignment flags; `exclude` is a screen rectangle to keep clear, or null)
// and returns the chosen item without running it, or null.
TMenuItem* TrackMenuItemPopup(TMenuItem* item, POINT at, UINT alignment, const RECT* exclude);

// The menu messages an owner window routes here: WM_MEASUREITEM and
// WM_DRAWITEM of our menu items, WM_MENUCHAR, WM_MENUSELECT
// and menu WM_COMMAND. True when handled; `result` is then the answer.
bool DispatchMenuMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The last WM_MENUSELECT seen: the menu and the flags of the selected item.
struct TMenuSelection {
    HMENU menu = nullptr;
    UINT flags = 0;
    UINT item = 0;
};
TMenuSelection LastMenuSelection();

// The system menu font (with the menu text colour).
void LoadMenuFont(TFont& font);
