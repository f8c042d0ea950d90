// TPanel (a bevelled container with a centred caption), TImage (a picture
// painted by its parent) and TTimer (a non-visual periodic event).
#pragma once
#include <windows.h>

#include <string>

#include "Controls.h"
#include "LayoutReader.h"
#include "Picture.h"
#include "StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);
    const char* ClassName() const override { return "TPanel"; }

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    // Blank room in the panel's colour between the outer and inner bevels.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    // Paints at once (the caller may block the thread right after).
    void Repaint() override;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Paint(TCanvas& canvas) override;

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

// A picture from the program's resources: a BITMAP, or a JPEG in RCDATA.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }

    const TBitmap& Picture() const { return picture_; }
    void SetPicture(TBitmap&& picture);
    void LoadPicture(const std::string& resourceName);

    // Scale the picture to the control's size.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    // Centre an unstretched picture in the control.
    bool Center() const { return center_; }
    void SetCenter(bool value);
    // Leave the picture's bottom-left colour unpainted.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // Size the control to the picture.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    // The picture is redrawn from the one given at the new scale.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void Paint(TCanvas& canvas) override;

private:
    void PictureChanged();

    TBitmap designPicture_;  // as given, at 96 dpi
    TBitmap picture_;        // as drawn: at the control's resolution
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

// Raises OnTimer every Interval milliseconds while Enabled, on the thread
// that created it (through its own hidden window).
class TTimer : public TComponent, public TLayoutProperties {
public:
    // Enabled with an interval of a second unless told otherwise. A timer
    // made disabled makes no window until it is first enabled (each window
    // costs start-up time).
    explicit TTimer(TComponent* owner, bool enabled = true);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    TNotifyEvent OnTimer;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Loaded() override;

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void UpdateTimer();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    HWND window_ = nullptr;
    bool running_ = false;
};
