// TToolBar (ToolbarWindow32) with its TToolButton children, whose buttons
// can drop down a menu item's children like a menu bar; TCoolBar
// (ReBarWindow32) with its collection of bands holding child controls.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"

class TImageList;
class TMenuItem;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar. It has no window: the tool bar shows it as one of
// its own buttons and keeps the object's bounds in step.
class TToolButton : public TControl {
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;
    const char* ClassName() const override { return "TToolButton"; }

    TToolBar* ToolBar() const { return toolBar_; }
    // Position among the tool bar's buttons, or -1.
    int Index() const;
    int CommandId() const { return commandId_; }

    // Width follows the caption.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle style);
    // Checked state of a tbsCheck button.
    bool Down() const;
    void SetDown(bool down);
    // The item whose children the button drops down as a pop-up menu.
    TMenuItem* MenuItem() const { return menuItem_; }
    void SetMenuItem(TMenuItem* item);

    void SetParent(TWinControl* parent) override;
    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void TextChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolBar;
    void Changed();

    TToolBar* toolBar_ = nullptr;
    int commandId_ = 0;
    bool autoSize_ = false;
    bool grouped_ = false;
    int imageIndex_ = -1;
    TToolButtonStyle style_ = tbsButton;
    bool down_ = false;
    TMenuItem* menuItem_ = nullptr;
};

class TToolBar : public TWinControl, public TShortCutHandler {
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;
    const char* ClassName() const override { return "TToolBar"; }

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TToolButton* Buttons(int index) const { return buttons_[static_cast<size_t>(index)]; }
    // The button at a client point, or null.
    TToolButton* ButtonAt(POINT p);
    // The button's rectangle in client coordinates (empty when it has none).
    RECT ButtonRect(const TToolButton* button);

    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int height);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value);
    // Captions beside the images rather than below them.
    bool List() const { return list_; }
    void SetList(bool value);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

    // Drops down `button`'s menu item under it, with the button pressed, and
    // runs the chosen item once the menu is closed. Moving the mouse to
    // another menu button, or Left/Right, moves to that button's menu.
    void TrackMenu(TToolButton* button, bool byKeyboard = false);
    // The button whose menu is open, or null.
    TToolButton* MenuButton() const { return menuButton_; }

    // Alt + a menu button's mnemonic drops its menu.
    bool IsShortCut(TShortCut shortCut) override;
    int ShortCutPriority() const override { return 2; }

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

    // Filters messages of the open menu (the thread's MSGF_MENU hook); true swallows.
    bool FilterMenuMessage(const MSG& msg);
    // Button sizes follow the resolution.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolButton;
    void InsertButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    // Puts the buttons into the window again after a change.
    void RecreateButtons();
    void SyncButtonBounds();
    void ApplyStyle();
    TToolButton* ButtonOfCommand(int id) const;
    TToolButton* NeighbourMenuButton(TToolButton* from, int step) const;

    std::vector<TToolButton*> buttons_;
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    bool flat_ = false;
    bool showCaptions_ = false;
    bool list_ = false;
    TImageList* images_ = nullptr;
    int nextCommand_ = 1;
    bool tracking_ = false;
    TToolButton* menuButton_ = nullptr;
    TToolButton* switchTo_ = nullptr;
    bool switchByKeyboard_ = false;
    POINT lastCursor_{};
};

enum : unsigned { ebLeft = 1, ebTop = 2, ebRight = 4, ebBottom = 8 };
using TEdgeBorders = unsigned;
enum TEdgeStyle { esNone, esRaised, esLowered };

class TCoolBar;

// One band of a cool bar: a child control with its sizes.
class TCoolBand {
public:
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* control);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int height) { minHeight_ = height; Changed(); }
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int width) { minWidth_ = width; Changed(); }
    int Width() const { return width_; }
    void SetWidth(int width) { width_ = width; Changed(); }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text) { text_ = text; Changed(); }
    // Starts a new row.
    bool Break() const { return break_; }
    void SetBreak(bool value) { break_ = value; Changed(); }
    // No gripper; the user cannot size the band.
    bool FixedSize() const { return fixedSize_; }
    void SetFixedSize(bool value) { fixedSize_ = value; Changed(); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; Changed(); }
    int ImageIndex = -1;

private:
    friend class TCoolBar;
    explicit TCoolBand(TCoolBar* bar) : bar_(bar) {}
    void Changed();

    TCoolBar* bar_;
    TWinControl* control_ = nullptr;
    int minHeight_ = 25;
    int minWidth_ = 0;
    int width_ = 0;
    std::string text_;
    bool break_ = true;
    bool fixedSize_ = false;
    bool visible_ = true;
};

class TCoolBar : public TWinControl {
public:
    explicit TCoolBar(TComponent* owner);
    const char* ClassName() const override { return "TCoolBar"; }

    int BandCount() const { return static_cast<int>(bands_.size()); }
    TCoolBand& Bands(int index) const { return *bands_[static_cast<size_t>(index)]; }
    TCoolBand& AddBand();
    void ClearBands();

    // Height follows the bands.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders borders);
    TEdgeStyle EdgeInner() const { return edgeInner_; }
    void SetEdgeInner(TEdgeStyle style);
    TEdgeStyle EdgeOuter() const { return edgeOuter_; }
    void SetEdgeOuter(TEdgeStyle style);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    // Band widths and heights follow the resolution.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCoolBand;
    void RecreateBands();
    void AdjustHeight();
    void EdgesChanged();
    int EdgeWidth() const;
    void ReadBands(const layout::Value& value, TLayoutReader& reader);

    std::vector<std::unique_ptr<TCoolBand>> bands_;
    bool autoSize_ = false;
    TEdgeBorders edgeBorders_ = ebTop;
    TEdgeStyle edgeInner_ = esRaised;
    TEdgeStyle edgeOuter_ = esLowered;
    bool updatingBands_ = false;
};
