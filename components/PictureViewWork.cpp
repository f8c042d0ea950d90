// TPictureView: the lazy work (measuring; decoding on the decode worker
// into the shared pixel cache) and the animations of the pictures in sight.
#include "PictureView.h"

#include <algorithm>

#include "DecodeWorker.h"
#include "PictureViewInternal.h"

using namespace picture_view;

// ============================================================= lazy work

bool TPictureView::Busy() const {
    if (measured_ < Count()) return true;
    if (!HandleAllocated() || !IsWindowVisible(handle_)) return false;
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i)
        if (Info(i).state == State::Measured && !IsDecoded(i)) return true;
    return false;
}

// While only the worker is busy, the window thread waits for its message,
// not on a timer.
bool TPictureView::WorkLeft() const {
    if (measured_ < Count() && readNext_ <= measured_) return true;
    if (!HandleAllocated() || !IsWindowVisible(handle_)) return false;
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i)
        if (Info(i).state == State::Measured && !Info(i).decoding && !IsDecoded(i)) return true;
    return false;
}

// A new frame of the shared cache in which every picture in view counts as
// shown, so nothing on screen is given back while the rest of the view is
// decoded, even where the paint redraws only part of it.
void TPictureView::MarkShown() {
    PixelCache& cache = PixelCache::Shared();
    cache.BeginFrame();
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i) cache.Use(this, i);
}

// Sets the one timer for what comes first: the next slice of work, or the
// next frame of an animation in sight; stops it when neither is left. A
// timer already set to fire sooner stays as it is.
void TPictureView::ScheduleTimer() {
    if (!HandleAllocated()) return;
    const DWORD now = GetTickCount();
    bool wanted = false;
    DWORD wait = 0;
    if (started_ && WorkLeft()) {
        wanted = true;
        wait = kSlicePauseMs;
    }
    for (int i : running_) {
        const LONG left = static_cast<LONG>(Info(i).due - now);
        const DWORD until = left > 0 ? static_cast<DWORD>(left) : 0;
        if (!wanted || until < wait) wait = until;
        wanted = true;
    }
    if (!wanted) {
        if (timerOn_) KillTimer(handle_, kTimer);
        timerOn_ = false;
        return;
    }
    wait = std::max<DWORD>(wait, USER_TIMER_MINIMUM);
    const DWORD at = now + wait;
    if (timerOn_ && static_cast<LONG>(timerAt_ - at) <= 0) return;
    timerOn_ = SetTimer(handle_, kTimer, wait, nullptr) != 0;
    timerAt_ = at;
}

void TPictureView::EnsureMeasured(int count) {
    if (!HandleAllocated()) return;
    count = std::min(count, Count());
    if (measured_ >= count) return;
    while (measured_ < count) MeasureNext();
    UpdateScrollBar();
    ScheduleTimer();
}

// ============================================================= animation

int TPictureView::FrameOf(int index) const {
    const gif::Playback& playback = Info(index).playback;
    return playback.Animated() ? playback.Frame() : 0;
}

bool TPictureView::IsAnimated(int index) const { return Info(index).playback.Animated(); }

// Frames change only where somebody can see them: the view and all its
// parents shown, the window not minimised.
bool TPictureView::AnimationsCanRun() const {
    return HandleAllocated() && IsWindowVisible(handle_) && !IsIconic(GetAncestor(handle_, GA_ROOT));
}

void TPictureView::StopAnimations() { running_.clear(); }

// Runs the animations of the decoded pictures in sight: a picture that has
// just come into sight starts counting its frame's delay from now (hidden,
// it stood still); one whose frame is due shows the next. A late timer does
// not make frames flash by: the next delay counts from now.
void TPictureView::UpdateAnimations() {
    if (!AnimationsCanRun()) {
        StopAnimations();
        return;
    }
    const DWORD now = GetTickCount();
    const RECT client = ClientRect();
    const flow::Range range = VisibleRange();
    std::vector<int> running;
    for (int i = range.first; i < range.last; ++i) {
        Picture& p = pictures_[static_cast<size_t>(i)];
        if (p.state != State::Measured || !p.playback.Animated() || p.playback.Finished() || !IsDecoded(i)) continue;
        if (!Intersects(PictureRect(i), client)) continue;
        if (!std::binary_search(running_.begin(), running_.end(), i)) {
            p.due = now + static_cast<DWORD>(p.playback.Delay());
        } else if (static_cast<LONG>(now - p.due) >= 0) {
            const bool late = static_cast<LONG>(now - p.due) > p.playback.Delay();
            p.playback.Advance();
            p.due = (late ? now : p.due) + static_cast<DWORD>(p.playback.Delay());
            InvalidatePicture(i);
        }
        if (!p.playback.Finished()) running.push_back(i);
    }
    running_ = std::move(running);
}

bool TPictureView::DoWork(DWORD budgetMs, bool visibleOnly) {
    if (!started_ || !HandleAllocated()) return false;
    const DWORD start = GetTickCount();
    bool more;
    do {
        more = Step(visibleOnly);
    } while (more && GetTickCount() - start < budgetMs);
    UpdateScrollBar();
    return more || WorkLeft();
}

// One piece of work, most urgent first: place the pictures the visible area
// needs, have what is visible decoded, then (unless only the visible area is
// asked for) size the rest of the page.
bool TPictureView::Step(bool visibleOnly) {
    const bool reading = Reading();
    if (measured_ < Count() && !VisibleRowsSettled()) {
        if (IsWindowVisible(handle_)) {
            RequestReads();
            if (readNext_ > measured_) return false;  // placed as the worker's reads come back
        } else if (reading) {
            return false;
        }
        MeasureNext();
        return true;
    }
    RequestVisibleDecodes();
    if (!visibleOnly && measured_ < Count() && !reading) {
        MeasureNext();
        return true;
    }
    return false;
}

// Every row that reaches into the visible area is complete: a row that
// starts below it exists.
bool TPictureView::VisibleRowsSettled() const {
    return layout_.Count() > 0 && layout_.OpenRowTop() >= scrollPos_ + ClientHeight();
}

// Measures the next picture here on the window thread (when it is needed
// at once, or for the part of the page out of sight).
void TPictureView::MeasureNext() {
    const int index = measured_;
    PictureFile file;
    const bool opened = decoder_.Open(Info(index).path, file);
    const int width = file.Width(), height = file.Height();
    file.Close();
    Place(index, opened, width, height);
    // A picture that lands in view is decoded at once (unless a read of the
    // worker's brings its pixels already).
    const Picture& p = Info(index);
    if (p.state == State::Measured && !p.decoding && IsWindowVisible(handle_) &&
        Intersects(PictureRect(index), ClientRect()))
        RequestDecode(index);
}

// Picture `index`, the next to measure, takes its place on the page.
void TPictureView::Place(int index, bool opened, int width, int height) {
    Picture& p = pictures_[static_cast<size_t>(index)];
    if (opened) {
        p.width = width;
        p.height = height;
        p.state = State::Measured;
    } else {
        p.width = p.height = kPlaceholderSize;
        p.state = State::Broken;
    }
    ++measured_;
    readNext_ = std::max(readNext_, measured_);
    const bool barShown = (GetWindowLongA(handle_, GWL_STYLE) & WS_VSCROLL) != 0;
    layout_.Add(flow::SizeForDpi(flow::Size{p.width, p.height}, Dpi()));
    if (!barShown && layout_.Height() > ClientHeight()) {
        Relayout();  // the scroll bar takes its width from the page
    } else {
        // The row may have moved its baseline: redraw it where it is visible.
        const flow::Row& row = layout_.Rows().back();
        RECT r{0, row.top - scrollPos_, ClientWidth(), row.bottom - scrollPos_};
        RECT client = ClientRect();
        if (Intersects(r, client)) InvalidateRect(handle_, &r, FALSE);
    }
}

// The worker reads (measures and decodes, from one opening of each file)
// the pictures that fill the visible area, a few ahead of what is placed.
void TPictureView::RequestReads() {
    while (readNext_ < Count() && readNext_ - measured_ < kReadAhead) {
        Picture& p = pictures_[static_cast<size_t>(readNext_)];
        DecodeWorker::Job job;
        job.client = decodeClient_;
        job.index = readNext_;
        job.path = p.path;
        if (!DecodeWorker::Shared().Request(handle_, kDecodedMessage, std::move(job))) return;  // measured here instead
        p.decoding = true;
        ++readNext_;
    }
}

void TPictureView::RequestVisibleDecodes() {
    if (!IsWindowVisible(handle_)) return;
    const flow::Range range = VisibleRange();
    // Pictures scrolled away before their turn wait for the next time they show.
    if (decodesOut_ > 0)
        for (int i : DecodeWorker::Shared().Withdraw(decodeClient_, range.first, range.last)) {
            pictures_[static_cast<size_t>(i)].decoding = false;
            --decodesOut_;
        }
    for (int i = range.first; i < range.last; ++i)
        if (Info(i).state == State::Measured && !Info(i).decoding && !IsDecoded(i)) RequestDecode(i);
}

void TPictureView::RequestDecode(int index) {
    Picture& p = pictures_[static_cast<size_t>(index)];
    DecodeWorker::Job job;
    job.client = decodeClient_;
    job.index = index;
    job.path = p.path;
    job.width = p.width;
    job.height = p.height;
    if (DecodeWorker::Shared().Request(handle_, kDecodedMessage, std::move(job))) {
        p.decoding = true;
        ++decodesOut_;
    }
    else Broke(index);  // no thread for the worker: nothing can be decoded
}

// What the worker finished for the pictures as they are listed now. Reads
// are placed in order: one that comes before an earlier one waits for it.
void TPictureView::TakeDecoded() {
    for (DecodeWorker::Result& result : DecodeWorker::Shared().Take(decodeClient_)) {
        const int index = result.index;
        if (index < 0 || index >= Count() || !Info(index).decoding) continue;
        if (result.measuring && index > measured_) {
            early_.emplace(index, std::move(result));
            continue;
        }
        Accept(result);
    }
    while (!early_.empty() && early_.begin()->first <= measured_) {
        DecodeWorker::Result result = std::move(early_.begin()->second);
        early_.erase(early_.begin());
        Accept(result);
    }
    // The visible area not filled yet: more reads; pictures that came into
    // view measured here get their decodes.
    if (IsWindowVisible(handle_) && measured_ < Count() && !VisibleRowsSettled()) RequestReads();
    RequestVisibleDecodes();
    UpdateScrollBar();
    if (!Reading() && focus_ < 0 && Focused()) MoveFocus(flow::Move::Home);
    // Newly decoded animations in sight start; work held back for them goes on.
    UpdateAnimations();
    ScheduleTimer();
}

void TPictureView::Accept(DecodeWorker::Result& result) {
    const int index = result.index;
    pictures_[static_cast<size_t>(index)].decoding = false;
    if (!result.measuring) --decodesOut_;
    if (result.measuring && index == measured_) Place(index, result.opened, result.width, result.height);
    const Picture& p = Info(index);
    if (p.state != State::Measured || IsDecoded(index)) return;
    // Gone, changed since it was measured, or unreadable: its box stays, broken.
    if (result.ok && result.width == p.width && result.height == p.height)
        StoreDecoded(index, std::move(result.pixels));
    else
        Broke(index);
}

void TPictureView::StoreDecoded(int index, PixelBuffer pixels) {
    bool stored = false;
    try {
        // Decoded again after its pixels were given back, it goes on where it was.
        gif::Playback& playback = pictures_[static_cast<size_t>(index)].playback;
        if (pixels.Animated() && playback.FrameCount() != pixels.frames)
            playback = gif::Playback(pixels.delaysMs, pixels.plays);
        PixelCache::Shared().Store(this, index, std::move(pixels));
        stored = true;
    } catch (...) {  // out of memory: shown like any picture that cannot be read
    }
    if (stored) InvalidatePicture(index);
    else Broke(index);  // keeps its measured box
}

// A measured picture whose pixels cannot be read after all. The keyboard
// passes over broken pictures: a focus on it moves to a neighbour.
void TPictureView::Broke(int index) {
    pictures_[static_cast<size_t>(index)].state = State::Broken;
    InvalidatePicture(index);
    if (index != focus_) return;
    auto pickable = [this](int i) { return Pickable(i); };
    const int next = flow::NextFocus(layout_, index, flow::Move::Right, 0, pickable);
    const int back = flow::NextFocus(layout_, index, flow::Move::Left, 0, pickable);
    focus_ = Pickable(next) ? next : Pickable(back) ? back : -1;
    InvalidatePicture(focus_);
    NotifyAccessibleFocus();
}
