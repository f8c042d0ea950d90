// Standard controls: TLabel (windowless text), TButton, TCheckBox and
// TGroupBox (the system BUTTON class in its push, check and group styles).
#pragma once
#include <windows.h>

#include <string>

#include "Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The form a control lies on (the nearest TForm among its parents), or null.
class TForm;
TForm* GetParentForm(TControl* control);

// A line or block of text painted by its parent. "&x" underlines x.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }

    // Resizes the label to its text (on by default); with WordWrap only the height follows.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // When true the parent's surface shows through around the text.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // "&" marks the next character as the mnemonic (on by default).
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // The code page the caption's bytes are written in; 0 (the default) is
    // the system's ANSI code page.
    UINT TextCodePage() const { return textCodePage_; }
    void SetTextCodePage(UINT codePage);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Paint(TCanvas& canvas) override;
    void Loaded() override;
    void TextChanged() override;
    void FontChanged() override;
    // Fits the bounds to the text when AutoSize.
    void AdjustBounds();
    UINT DrawTextFlags() const;

private:
    bool autoSize_ = true;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    UINT textCodePage_ = 0;
};

// A push button. A click with a non-zero ModalResult sets the form's
// ModalResult; Enter clicks the default button, Escape the cancel button.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel = false;
    int ModalResult = 0;

    void Click() override;
    bool HandleDialogKey(WORD key) override;
    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The button's own style bits (BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_OWNERDRAW).
    virtual DWORD ButtonStyle() const;

private:
    bool default_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box that toggles itself when clicked; OnClick follows every change.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const { return State() == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const;
    void SetState(TCheckBoxState state);
    // A third, grayed state reachable by clicking.
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value);
    // taRightJustify (default): text to the right of the box; taLeftJustify: to its left.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void RecreateWithNewStyle();

    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

// A captioned frame; its children are parented into it.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TGroupBox"; }

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
