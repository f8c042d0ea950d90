// TControl, TWinControl, TGraphicControl, TCustomControl: visual components,
// their window handles, painting and mouse/key dispatch.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

namespace layout { struct Value; }
class TLayoutReader;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
// Aligned controls stick to an edge of their parent's client area (or fill
// what the others leave); the parent arranges them when it or they change.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Mouse pointer shapes, numbered as the layouts store them; crDefault leaves
// the choice to the window under the pointer.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeAll = -22,
                  crHandPoint = -21, crHourGlass = -11, crNo = -18;
// The system cursor for a shape, or null for crDefault and crNone.
HCURSOR CursorHandle(TCursor cursor);

// Toolkit-private messages: reflected control notifications and mouse enter/leave.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
    CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
    CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
    CM_MOUSEENTER = 0xB013,
    CM_MOUSELEAVE = 0xB014,
    CM_RELEASE = 0xB021,
};

TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    // The pointer shape over this control.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientSize(int width, int height);
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    TFont& Font() { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    std::string Hint;
    bool ShowHint = false;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    virtual void Invalidate();
    virtual void Repaint();
    void Update();
    virtual void Click();
    // The resolution the control is laid out for: its form's, 96 (the
    // design resolution of the layouts) until the form is scaled.
    int Dpi() const { return dpi_; }
    // Lays the control out for `toDpi` instead of `fromDpi`: its edges, its
    // own font (one that follows its parent's follows it) and whatever a
    // subclass keeps in pixels (override and call this). Sizes go through
    // DpiScale, the one rounding rule.
    virtual void ChangeScale(int toDpi, int fromDpi);
    // Brings the control above its siblings.
    virtual void BringToFront();

    // Sets a property read from a layout; false when the class has no such property.
    virtual bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader);

    // Mouse input, also routed from the parent to windowless controls.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The pointer came over the control / went away from it (also for
    // windowless controls, tracked by their parent window).
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void DblClick() { OnDblClick(this); }

protected:
    // Whether ChangeScale scales the bounds (a top-level form's are the system's).
    virtual bool ScalesBounds() const { return true; }
    virtual void BoundsChanged() {}
    virtual void VisibleChanged() {}
    virtual void EnabledChanged() {}
    virtual void TextChanged() {}
    virtual void FontChanged() {}
    virtual void ColorChanged() {}
    // The parent's font or colour changed; follow it when ParentFont/ParentColor.
    void ParentFontChanged();
    void ParentColorChanged();

    std::string caption_;

private:
    void FontOnChange(TObject*);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool followingParent_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    TAlign align_ = alNone;
    TCursor cursor_ = crDefault;
    int dpi_ = 96;

    friend class TWinControl;
};

// The parameters a windowed control is created with.
struct TCreateParams {
    std::string caption;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = nullptr;
    // A system class (BUTTON, SysTabControl32, ...) to subclass; empty for our own class.
    std::string systemClass;
    // Our own class: registered once under "Tovira." + the toolkit class name.
    UINT classStyle = CS_DBLCLKS;
    HBRUSH background = nullptr;
    HMENU menuOrId = nullptr;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // A bare parent window for a control that has no managed parent (used
    // when the window is created; moves an existing window there).
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND parent);
    void HandleNeeded() { Handle(); }
    // The object bound to a window of ours, or null.
    static TWinControl* FromHandle(HWND wnd);
    // The nearest object bound to `wnd` or one of its ancestors.
    static TWinControl* FindControl(HWND wnd);

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_[static_cast<size_t>(index)]; }

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop = false;
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;

    void Invalidate() override;
    void Repaint() override;
    void BringToFront() override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientSize(int width, int height) override;

    // Sends a message to the window (creating it if needed).
    LRESULT Perform(UINT msg, WPARAM wp, LPARAM lp);
    // Key message pre-processing before dispatch; true when handled. The
    // message loop offers key messages to the focused control first.
    virtual bool PreProcessMessage(MSG& msg);
    // Tab/arrow/Enter keys the control handles itself (not dialog navigation).
    virtual bool WantsDialogKey(WPARAM /*key*/) const { return false; }
    // Enter / Escape offered to every control of a form (default and cancel buttons).
    virtual bool HandleDialogKey(WORD /*key*/) { return false; }

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

    // Windowless children at a client point (topmost first), or null.
    TControl* ControlAtPos(POINT p) const;
    // Paints windowless children onto `dc`.
    void PaintControls(HDC dc);
    // Destroys the window; the object stays and can create it again.
    void DestroyHandle();
    // Places the aligned children: top, bottom, left and right edges in
    // creation order, then the client-filling ones in what is left.
    void AlignControls();
    // Scales itself, then its children, then aligns them once.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // After the window exists: fonts, texts and children.
    virtual void CreateChildren();
    virtual void HandleCreated() {}
    // Whether the window is made with the parent's even while the control is
    // hidden. A control that says no gets it when it is first shown (or its
    // handle is asked for): hidden pages of a page control cost nothing.
    virtual bool MakesWindowWhileHidden() const { return true; }
    // Takes over a window that someone else created (an embedded object's):
    // our WndProc sees its messages first, DefaultHandler passes them on to
    // the window's own procedure.
    void AdoptHandle(HWND wnd);
    // Ends the window after it was unbound; DestroyWindow unless a subclass
    // knows better (an embedded object deactivates its own window).
    virtual void DestroyWnd(HWND wnd);
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
    // Painting of our own classes; system classes paint themselves.
    virtual void PaintWindow(HDC dc);
    // The brush for WM_CTLCOLOR* of system controls.
    HBRUSH ColorBrush();

    void Loaded() override;
    void BoundsChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // Recomputes which windowless child is under the mouse (while one holds
    // the capture, only that one can be).
    void TrackMouseControl(POINT p);

    HWND handle_ = nullptr;

private:
    HWND parentWindow_ = nullptr;
    static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMouse(UINT msg, WPARAM wp, LPARAM lp);
    void Unbind();
    void RegisterOwnClass(const TCreateParams& params, const std::string& className);

    std::vector<TControl*> controls_;
    int tabOrder_ = -1;
    bool subclassed_ = false;
    bool creating_ = false;
    GdiObject<HBRUSH> colorBrush_;
    TColor colorBrushColor_ = clNone;
    bool SetCursorFor(LPARAM hitTest);
    void EndCapture();

    TControl* mouseControl_ = nullptr;    // windowless child under the pointer
    TControl* captureControl_ = nullptr;  // windowless child pressed on, until release
    TControl* clickControl_ = nullptr;    // ... pressed on with the left button
    bool trackingLeave_ = false;
    bool aligning_ = false;

    friend class TControl;
};

// A windowless control painted by its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    const char* ClassName() const override { return "TGraphicControl"; }
    void PaintTo(HDC dc);
    // Draws the control on its parent's window at once, outside the
    // parent's paint cycle; nothing while there is no parent window yet.
    void PaintNow();

protected:
    virtual void Paint(TCanvas& canvas) = 0;
};

// A windowed control of our own class that paints itself on a canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}
    const char* ClassName() const override { return "TCustomControl"; }
    // The canvas of the paint in progress (valid inside Paint / OnPaint).
    TCanvas& Canvas() { return canvas_; }

protected:
    void PaintWindow(HDC dc) override;
    virtual void Paint(TCanvas& canvas);

private:
    TCanvas canvas_;
};

// Reads a layout's "Font.*" property into `font`; false for any other name.
bool ReadFontProperty(TFont& font, const std::string& name, const layout::Value& value, TLayoutReader& reader);

// The exception boundary of every callback: hands errors to the application.
void HandleCallbackException() noexcept;
