// TXPMenu: gives the menus of the form that owns it a flat, two-tone look.
// It sets the menus' OwnerDraw and puts its own measuring and painting
// handlers into their items (XPMenuAttach.cpp); the handlers lay out and
// paint each item (XPMenuDraw.cpp, arithmetic in XPMenuLogic).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "Classes.h"
#include "Graphics.h"
#include "LayoutReader.h"
#include "Menus.h"

class TBitmap;
class TForm;

// Kinds of menus and controls to restyle; member n is bit n of the mask.
enum TXPControl {
    xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, xcEdit, xcMaskEdit, xcMemo,
    xcRichEdit, xcCheckBox, xcRadioButton, xcButton, xcBitBtn, xcSpeedButton, xcPanel, xcGroupBox
};
using TXPControls = std::uint16_t;
// Kinds of parents whose child controls may be restyled; bit n is member n.
enum TXPContainer {
    xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox, xccGroupBox,
    xccTabSheet, xccPageScroller
};
using TXPContainers = std::uint16_t;

constexpr TXPControls kAllXPControls = 0xFFFF;
constexpr TXPContainers kAllXPContainers = 0x3FF;
constexpr std::uint16_t XPBit(int member) { return static_cast<std::uint16_t>(1u << member); }

// An item, menu or control with this Tag is left to the toolkit's own drawing.
constexpr int kXPMenuSkipTag = 999;

class TXPMenu : public TComponent, public TLayoutProperties {
public:
    // The owner must be a form (or none); another owner raises EInvalidCast.
    explicit TXPMenu(TComponent* owner);
    ~TXPMenu() override;
    const char* ClassName() const override { return "TXPMenu"; }

    // ---- settings, in the order a stored layout sets them
    std::uint8_t DimLevel = 30;   // % lightening of an unselected image
    std::uint8_t GrayLevel = 10;  // brightness added to a disabled image's grey
    TFont& Font() { return font_; }
    void SetFont(const TFont& font);
    TColor Color = clBtnFace;          // item background
    TColor IconBackColor = clBtnFace;  // icon column
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor color);
    TColor SelectColor = clHighlight;
    TColor SelectBorderColor = clHighlight;
    TColor SelectFontColor = clMenuText;
    TColor DisabledColor = clInactiveCaption;
    TColor SeparatorColor = clBtnFace;
    TColor CheckedColor = clHighlight;
    int IconWidth = 24;
    bool DrawSelect = true;
    bool UseSystemColors() const { return useSystemColors_; }
    void SetUseSystemColors(bool value);
    // Install the handlers over handlers the application assigned.
    bool OverrideOwnerDraw() const { return overrideOwnerDraw_; }
    void SetOverrideOwnerDraw(bool value);
    bool Gradient = false;
    bool FlatMenu = false;
    // Attach again when menu items, tool buttons or control bars join the owner.
    bool AutoDetect = false;
    TXPContainers XPContainers() const { return xpContainers_; }
    void SetXPContainers(TXPContainers containers);
    TXPControls XPControls() const { return xpControls_; }
    void SetXPControls(TXPControls controls);
    bool Active() const { return active_; }
    void SetActive(bool value);

    // The form whose menus are restyled (null without an owner).
    TForm* OwnerForm() const { return ownerForm_; }

    // ---- the handlers put into menu items
    void MenuItemDrawHandler(TObject* sender, TCanvas* canvas, RECT rect, bool selected);
    void MenuItemMeasureHandler(TObject* sender, TCanvas* canvas, int& width, int& height);
    // Whether a slot holds this class's handler, whatever instance it is bound to.
    static bool IsOwnDrawHandler(const TMenuDrawItemEvent& slot);
    static bool IsOwnMeasureHandler(const TMenuMeasureItemEvent& slot);

    // ---- drawing (XPMenuDraw.cpp)
    // Raises `width` and `height` (the toolkit's measure) to what the item
    // needs; a separator's height is set outright.
    void MeasureMenuItem(TMenuItem* item, TCanvas& canvas, int& width, int& height);
    // Paints the whole item rectangle (and the row below it).
    void DrawMenuItem(TMenuItem* item, TCanvas& canvas, RECT rect, bool selected);
    // The system menu font, in the menu text colour; `font` stays as it was
    // when the system will not tell.
    static void LoadMenuFont(TFont& font);
    // The size an item reserves for its image.
    std::pair<int, int> ItemImageSize(TMenuItem* item) const;
    void DrawItemIcon(TObject* sender, TCanvas& canvas, TBitmap* picture, RECT iconColumn, bool hot, bool pressed,
                      bool enabled, bool checked, bool barItem, bool rightToLeft);
    void DrawItemText(TObject* sender, const std::string& text, const std::string& shortCutText, TCanvas& canvas,
                      RECT textRect, bool selected, bool enabled, bool isDefault, bool barItem, bool rightToLeft,
                      TFont& font, UINT format);

    // Colour steps on resolved colours; LightenColor matches the result to
    // the canvas's palette.
    static TColor DarkenColor(TColor color, int amount);
    static TColor LightenColor(TCanvas& canvas, TColor color, int percent);
    static TColor GrayColor(TColor color, int amount);
    TColor ContrastTextColor(TCanvas& canvas, TColor background);

    // The colours of the last painting (for tests and tool-bar drawing).
    struct PreparedColors {
        TColor menu, iconColumn, selection, selectionBorder, selectedText, checkFill, hotCheckFill, checkBorder,
            bar, disabledText, separatorLine, flatOuter, flatEdge;
    };
    const PreparedColors& Prepared() const { return colors_; }
    bool HighColor() const { return highColor_; }

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The colour depth of the canvas painted on (GetDeviceCaps BITSPIXEL).
    virtual int BitsPerPixel(TCanvas& canvas) const;

private:
    // ---- attachment (XPMenuAttach.cpp)
    void UpdateContainer(TComponent* container, bool attach, bool repaint);
    void UpdateMenu(TMenu* menu, bool attach);
    void SetItemHandlers(TMenuItem* item, bool attach);
    void SetHandlersDeep(TMenuItem* item, bool attach);
    void UpdateToolBar(class TToolBar* bar, bool attach, bool repaint);
    void Hook(TMenuItem* item);
    void HookAround(TMenuItem* item);
    void RedrawMenuBar();

    // ---- drawing
    void PrepareColors(TCanvas& canvas);
    void DrawCheckMark(TMenuItem* item, bool selected, RECT check, TCanvas& canvas, bool hasPicture, bool enabled);
    void DrawBarSelection(TObject* sender, TCanvas& canvas, bool rightToLeft, TColor given, RECT rect);
    void FillGradient(TCanvas& canvas, RECT rect, bool rightToLeft);
    void DrawFlatFrame(HWND window, bool rightToLeft);
    void GrayBitmap(TBitmap& picture, int amount);
    void DimBitmap(TBitmap& picture, int percent);
    static void DrawIconShadow(TBitmap& picture, TCanvas& canvas, int x, int y, TColor color);
    bool IsBarItem(TMenuItem* item) const;

    TForm* ownerForm_ = nullptr;
    TFont font_;
    TColor menuBarColor_ = clBtnFace;
    bool useSystemColors_ = true;
    bool overrideOwnerDraw_ = false;
    TXPContainers xpContainers_ = 0;
    TXPControls xpControls_ = 0;
    bool active_ = false;

    bool highColor_ = true;
    PreparedColors colors_{};
};
