// TPictureView: a page of clickable pictures drawn natively, the way a
// browser shows a page of inline images: on white, at their own sizes,
// flowing left to right and wrapping, with a vertical scroll bar when needed.
//
// Nothing is read while the view is hidden (a view made on screen starts at
// once, one made hidden at its first paint). Then the pictures are
// measured in order as far as the visible area needs, and decoded when they
// come into view by the process's decode worker (DecodeWorker), never on the
// window thread: each is drawn as it arrives. The rest are measured in small
// steps from the message loop, so a page of thousands of pictures never
// stalls the window. Decoded pixels
// live in plain memory under the process-wide PixelCache budget and are drawn
// into one back buffer per paint: the view holds no GDI object per picture.
// A file that cannot be decoded shows a broken-picture placeholder and cannot
// be picked; nothing is reported.
//
// Animated GIFs play while they are in sight: one timer per view carries
// both the background work and the frames, and it stops when neither is
// left (a hidden tab, a hidden window, pictures scrolled away).
//
// With the focus, a dotted focus frame marks one picture; the arrows, Home,
// End, Page Up and Page Down move it, typing a name's first letters finds a
// picture, Enter or Space picks it as a click does. The pictures are told
// to assistive technology as the view's children (PictureViewAccessible).
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Controls.h"
#include "DecodeWorker.h"
#include "GifAnimation.h"
#include "PictureDecoder.h"
#include "PictureFlow.h"
#include "PictureKeys.h"

class TPictureViewAccessible;

class TPictureView : public TCustomControl {
public:
    explicit TPictureView(TComponent* owner);
    ~TPictureView() override;
    const char* ClassName() const override { return "TPictureView"; }

    // The pictures to show, full paths in display order. Opens nothing.
    void SetFiles(const std::vector<std::string>& paths);
    // The same pictures listed again (some added, removed or rewritten):
    // every picture is read again, and the view keeps its scroll position
    // and the focus on the picture of the same path.
    void UpdateFiles(const std::vector<std::string>& paths);
    int Count() const { return static_cast<int>(pictures_.size()); }
    const std::string& File(int index) const { return pictures_[static_cast<size_t>(index)].path; }

    // A left press and release on the same picture (not a broken one), or
    // Enter or Space on the focused picture.
    TEvent<TObject*, int> OnPictureClick;

    // The size of the broken-picture placeholder of a file that cannot be read.
    static constexpr int kPlaceholderSize = 24;

    // ---- what the view shows now (tests, accessibility) ----
    // The picture's box in client coordinates; empty until it is measured.
    RECT PictureRect(int index) const;
    bool IsMeasured(int index) const { return Info(index).state != State::Unread; }
    bool IsBroken(int index) const { return Info(index).state == State::Broken; }
    // Its pixels are in memory (they may be given back when it is out of sight).
    bool IsDecoded(int index) const;
    // Measured or broken, from the first picture on.
    int MeasuredCount() const { return measured_; }
    // Work is left: pictures to measure, or visible pictures not decoded yet
    // (their decodes may be under way).
    bool Busy() const;
    // The picture under the pointer, or -1.
    int HotIndex() const { return hot_; }
    int ScrollPos() const { return scrollPos_; }
    void SetScrollPos(int pos);
    // The whole page's height as laid out so far.
    int PageHeight() const { return layout_.Height(); }
    // The tooltip, made when the pointer first moves over the view; null before.
    HWND ToolTipHandle() const { return toolTip_; }

    // ---- animation ----
    // The frame picture `index` shows (0 for still pictures).
    int FrameOf(int index) const;
    // Its pixels hold more than one frame.
    bool IsAnimated(int index) const;
    // Pictures in sight whose animation is running now.
    int RunningAnimations() const { return static_cast<int>(running_.size()); }
    // The view's one timer is set (work or frames are due).
    bool TimerRunning() const { return timerOn_; }

    // ---- keyboard ----
    // The picture with the focus frame, or -1.
    int FocusIndex() const { return focus_; }
    // Moves the focus frame to picture `index` (one that can be picked) and
    // scrolls it into view.
    void SetFocusIndex(int index);
    bool CanTakeFocus(int index) const { return Pickable(index); }

    // ---- accessibility (children are numbered from 1) ----
    // The picture's box on the screen, measuring the pictures up to it first.
    bool PictureScreenRect(int index, RECT& out);
    // In the client area and not cut away by the scroll position.
    bool IsInSight(int index) const;
    // Picks picture `index` on the next turn of the message loop.
    void PickLater(int index);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PaintWindow(HDC dc) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    bool WantsDialogKey(WPARAM key) const override;
    // Pictures, margins and gaps follow the resolution.
    void ChangeScale(int toDpi, int fromDpi) override;

private:
    friend class TPictureViewAccessible;  // hit-testing
    enum class State { Unread, Measured, Broken };
    struct Picture {
        std::string path;
        std::string name;  // the file name, its tooltip
        int width = 0, height = 0;
        State state = State::Unread;
        gif::Playback playback;  // empty until decoded as an animation
        DWORD due = 0;           // when its frame changes, while running
        bool decoding = false;   // handed to the decode worker, not back yet
    };
    const Picture& Info(int index) const { return pictures_[static_cast<size_t>(index)]; }

    // ---- lazy work ----
    // Works until done or `budgetMs` passed; true while work is left.
    bool DoWork(DWORD budgetMs, bool visibleOnly);
    bool Step(bool visibleOnly);
    // Work for the window thread itself: Busy() without the decodes under way.
    bool WorkLeft() const;
    bool VisibleRowsSettled() const;
    void MeasureNext();
    void Place(int index, bool opened, int width, int height);
    void RequestReads();
    void ReadBeforeFirstPaint();
    bool Reading() const { return readNext_ > measured_; }
    void RequestVisibleDecodes();
    void RequestDecode(int index);
    void TakeDecoded();
    void Accept(DecodeWorker::Result& result);
    void StoreDecoded(int index, PixelBuffer pixels);
    // Jobs for the decode worker are made anew (new pictures, a new window).
    void RestartDecodes();
    void Broke(int index);
    void ScheduleTimer();
    void MarkShown();
    void EnsureMeasured(int count);

    // ---- animation ----
    bool AnimationsCanRun() const;
    void UpdateAnimations();
    void StopAnimations();

    // ---- geometry ----
    int FullClientWidth() const;
    void Relayout();
    void UpdateScrollBar();
    flow::Range VisibleRange() const;
    RECT ToClient(const flow::Rect& box) const;
    int PictureAt(int x, int y) const;
    void InvalidatePicture(int index);
    void ScrollBy(int delta);
    void OnVScroll(int code);
    void OnMouseWheel(int delta);

    // ---- pointer ----
    void SetHot(int index);
    void EnsureToolTip();
    void UpdateToolTip(bool boxMoved);
    void RelayToToolTip(UINT msg, WPARAM wp, LPARAM lp);
    bool Pickable(int index) const { return index >= 0 && index < Count() && !IsBroken(index); }
    void Pick(int index);

    // ---- keyboard ----
    bool KeyDown(WPARAM key);
    void CharTyped(char c);
    void MoveFocus(flow::Move move);
    void ScrollIntoView(int index);
    void FocusChanged(bool hadFocus);
    void NotifyAccessibleFocus();
    bool Typing() const;

    // ---- painting ----
    void DrawPicture(HDC dc, int index, const RECT& box);
    void DrawPlaceholder(HDC dc, const RECT& box);
    void DrawFocusFrame(HDC dc);

    std::vector<Picture> pictures_;
    flow::Layout layout_;
    PictureDecoder decoder_;
    std::uint64_t decodeClient_ = 0;  // this view's id with the decode worker, set when its window is made or its pictures listed
    int measured_ = 0;
    std::map<int, DecodeWorker::Result> early_;  // reads back before an earlier one
    int decodesOut_ = 0;      // decodes (of measured pictures) handed to the worker, not back yet
    int readNext_ = 0;        // the next picture to hand to the worker to read; past measured_ while reads are out
    static constexpr int kReadAhead = 16;  // reads out at once: what a page past the visible area may decode in vain
    bool started_ = false;    // painted once: work may begin
    bool timerOn_ = false;
    DWORD timerAt_ = 0;       // when the timer fires, while it is on
    std::vector<int> running_;  // animated pictures in sight, in index order
    bool relayingOut_ = false;
    int scrollPos_ = 0;
    int wheelRest_ = 0;       // wheel delta not yet turned into lines
    int hot_ = -1;
    int pressed_ = -1;
    bool mouseInside_ = false;
    POINT lastMouse_{0, 0};  // client coordinates of the last move inside
    HWND toolTip_ = nullptr;
    int toolTipShown_ = -2;   // the picture the tooltip describes (-1 none)
    int focus_ = -1;
    std::string typed_;       // letters typed to find a picture
    DWORD typedAt_ = 0;
    bool swallowSpace_ = false;  // the character of a Space that picked
    TPictureViewAccessible* accessible_ = nullptr;  // made on the first request
};
