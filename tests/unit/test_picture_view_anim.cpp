// Animated GIFs in a real picture view: the frames drawn one after another,
// the loop count ending the animation on its last frame, and no timer while
// nothing animated is in sight (hidden view, tab not shown, scrolled away).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComApartment.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "GifWriter.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "Wait.h"

namespace {

// 10 x 10, three frames, each filling a different 10 x 10 colour: red,
// green, blue; 100 ms each (the first marked 0 ms); `loops` as given.
std::string Traffic(int loops) {
    gif_test::Animation a;
    a.width = 10;
    a.height = 10;
    a.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    a.loopCount = loops;
    for (std::uint8_t i = 0; i < 3; ++i) {
        gif_test::Frame f = gif_test::Filled(0, 0, 10, 10, i);
        f.delay = i == 0 ? 0 : 10;
        a.frames.push_back(f);
    }
    return gif_test::Write(a);
}

const COLORREF kFrameColours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};

COLORREF PixelOnScreen(HWND wnd, POINT p) {
    HDC dc = GetDC(wnd);
    const COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(wnd, dc);
    return c;
}

class AnimationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        form_ = new TForm(nullptr);
        form_->SetBounds(60, 60, 340, 260);
        form_->SetCaption("Animation");
        form_->Show();
    }
    static void TearDownTestSuite() {
        delete form_;
        form_ = nullptr;
    }
    void SetUp() override {
        view = new TPictureView(form_);
        view->SetBounds(5, 5, 300, 200);
    }
    void TearDown() override { delete view; }

    void Show(const std::vector<std::string>& files) {
        view->SetFiles(files);
        view->SetParent(form_);
        ASSERT_TRUE(WaitFor([&] { return view->MeasuredCount() == view->Count() && !view->Busy(); }));
    }
    POINT CentreOf(int index) const {
        RECT r = view->PictureRect(index);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // Waits for picture `index` to show `frame`, then reads what is drawn
    // while it still shows it.
    bool ShownAt(int index, int frame, COLORREF& drawn) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (!WaitFor([&] { return view->FrameOf(index) == frame; }, 5000)) return false;
            UpdateWindow(view->Handle());
            drawn = PixelOnScreen(view->Handle(), CentreOf(index));
            if (view->FrameOf(index) == frame) return true;
        }
        return false;
    }

    static TForm* form_;
    TPictureView* view = nullptr;
    TempFolder folder;
};
TForm* AnimationTest::form_ = nullptr;

TEST_F(AnimationTest, FramesAreDrawnInTurnAndTheLoopCountEndsOnTheLastFrame) {
    Show({folder.WriteFile("forever.gif", Traffic(0)), folder.WriteFile("twice.gif", Traffic(1))});
    ASSERT_TRUE(view->IsAnimated(0));
    ASSERT_TRUE(view->IsAnimated(1));
    for (int round = 0; round < 2; ++round) {
        for (int frame = 0; frame < 3; ++frame) {
            COLORREF drawn = 0;
            ASSERT_TRUE(ShownAt(0, frame, drawn)) << "frame " << frame;
            EXPECT_EQ(drawn, kFrameColours[frame]) << "frame " << frame;
        }
    }
    // Loop count 1: two plays, then it stays on blue and only the other runs.
    ASSERT_TRUE(WaitFor([&] { return view->RunningAnimations() == 1; }));
    EXPECT_EQ(view->FrameOf(1), 2);
    UpdateWindow(view->Handle());
    EXPECT_EQ(PixelOnScreen(view->Handle(), CentreOf(1)), kFrameColours[2]);
    EXPECT_TRUE(view->TimerRunning());
}

TEST_F(AnimationTest, AnimationThatEndsStopsTheTimer) {
    Show({folder.WriteFile("once.gif", Traffic(-1))});
    ASSERT_TRUE(view->IsAnimated(0));
    ASSERT_TRUE(WaitFor([&] { return view->FrameOf(0) == 2 && !view->TimerRunning(); }));
    EXPECT_EQ(view->RunningAnimations(), 0);
}

TEST_F(AnimationTest, NoTimerWhileTheViewIsHiddenAndTheFrameWaits) {
    Show({folder.WriteFile("forever.gif", Traffic(0))});
    ASSERT_TRUE(WaitFor([&] { return view->FrameOf(0) == 1; }));
    view->Hide();
    ASSERT_TRUE(WaitFor([&] { return !view->TimerRunning(); }));
    EXPECT_EQ(view->RunningAnimations(), 0);
    const int frame = view->FrameOf(0);
    // Hidden, nothing is due: the queue empties and the frame stays.
    Application->ProcessMessages();
    EXPECT_FALSE(view->TimerRunning());
    EXPECT_EQ(view->FrameOf(0), frame);
    view->Show();
    ASSERT_TRUE(WaitFor([&] { return view->FrameOf(0) != frame; }));
}

TEST_F(AnimationTest, OnlyTheShownTabAnimates) {
    auto* pages = new TPageControl(form_);
    pages->SetParent(form_);
    pages->SetBounds(0, 0, 320, 220);
    TTabSheet* sheets[2];
    TPictureView* views[2];
    for (int i = 0; i < 2; ++i) {
        sheets[i] = new TTabSheet(pages);
        sheets[i]->SetCaption(i ? "second" : "first");
        sheets[i]->SetPageControl(pages);
        views[i] = new TPictureView(sheets[i]);
        views[i]->SetBounds(0, 0, 300, 180);
        views[i]->SetFiles({folder.WriteFile("tab" + std::to_string(i) + ".gif", Traffic(0))});
        views[i]->SetParent(sheets[i]);
    }
    pages->SetActivePageIndex(0);
    ASSERT_TRUE(WaitFor([&] { return views[0]->RunningAnimations() == 1; }));
    EXPECT_FALSE(views[1]->TimerRunning());
    EXPECT_FALSE(views[1]->IsDecoded(0));  // never shown, never decoded

    pages->SelectNextPage(true);
    ASSERT_TRUE(WaitFor([&] { return views[1]->RunningAnimations() == 1; }));
    ASSERT_TRUE(WaitFor([&] { return !views[0]->TimerRunning(); }));
    EXPECT_EQ(views[0]->RunningAnimations(), 0);
    delete pages;
}

TEST_F(AnimationTest, PicturesScrolledAwayStopAndStartAgainWhenBack) {
    std::vector<std::string> files;
    std::string stillGif;
    {
        gif_test::Animation a;
        a.width = 30;
        a.height = 30;
        a.palette = {0x808080, 0};
        a.frames = {gif_test::Filled(0, 0, 30, 30, 0)};
        stillGif = folder.WriteFile("grey.gif", gif_test::Write(a));
    }
    files.push_back(folder.WriteFile("top.gif", Traffic(0)));
    for (int i = 0; i < 120; ++i) files.push_back(stillGif);
    Show(files);
    ASSERT_TRUE(WaitFor([&] { return view->RunningAnimations() == 1; }));
    view->SetScrollPos(view->PageHeight());
    ASSERT_TRUE(WaitFor([&] { return !view->TimerRunning(); }));
    EXPECT_EQ(view->RunningAnimations(), 0);
    const int frame = view->FrameOf(0);
    view->SetScrollPos(0);
    ASSERT_TRUE(WaitFor([&] { return view->FrameOf(0) != frame; }));
    EXPECT_EQ(view->RunningAnimations(), 1);
}

}  // namespace
