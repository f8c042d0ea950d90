// TfjnButton: a flat push button without a window of its own. It draws on
// its parent's surface: raised when idle, sunken while a mouse button is held
// on it. It takes no focus and no keys.
#pragma once
#include <string>

#include "Controls.h"

class TfjnButton : public TGraphicControl {
public:
    explicit TfjnButton(TComponent* owner);
    const char* ClassName() const override { return "TfjnButton"; }

    // Published, in this order: OnClick, OnMouseMove (the base's),
    // OnDoubleClick, OnMouseEnter, OnMouseLeave, Caption, Transparent,
    // Autosize, Color, Font.
    TNotifyEvent OnDoubleClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Each of these stores its value and draws the button at once.
    void SetCaption(const std::string& caption);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool Pressed() const { return pressed_; }
    void SetPressed(bool value);
    // Stored for the layouts; the button never sizes itself.
    bool Autosize = false;

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void DblClick() override;

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Paint(TCanvas& canvas) override;

private:
    bool transparent_ = false;
    bool pressed_ = false;
};
