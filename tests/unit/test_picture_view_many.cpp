// A tab of a thousand pictures in the native picture view: the first screen
// completes, the whole page gets measured, no picture is broken, and GDI
// objects do not grow with the pictures or with scrolling. How long each
// step takes is measured by ./tovira bench, not here.
#include <gtest/gtest.h>

#include "Forms.h"
#include "PictureViewProbe.h"
#include "TestApplication.h"

using namespace view_probe;

TEST(PictureViewMany, ATabOfAThousandPicturesCompletesWithoutAGdiObjectPerPicture) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TestApplication();
    TempFolder folder;
    constexpr int kPictures = 1000;
    const std::vector<std::string> files = ManyPictures(folder, kPictures);
    ASSERT_EQ(files.size(), static_cast<size_t>(kPictures));

    auto* form = new TForm(nullptr);
    form->SetBounds(20, 20, 680, 420);
    form->Show();
    Application->ProcessMessages();
    const int gdiBefore = GdiObjects();

    // As a tab's page: the view of a sheet 645 wide, shown for the first time.
    auto* view = new TPictureView(form);
    view->SetBounds(5, 5, 635, 317);
    view->SetFiles(files);
    view->SetParent(form);
    UpdateWindow(view->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ScreenComplete(*view); }));
    ASSERT_TRUE(PumpUntil([&] { return view->MeasuredCount() == kPictures && !view->Busy(); }));
    const int gdiSettled = GdiObjects();
    view->SetScrollPos(view->PageHeight());
    ASSERT_TRUE(PumpUntil([&] { return ScreenComplete(*view); }));
    const int gdiScrolled = GdiObjects();

    int broken = 0;
    for (int i = 0; i < kPictures; ++i) broken += view->IsBroken(i);
    EXPECT_EQ(0, broken);
    // No GDI object per picture: the pixels live in plain memory and each
    // paint's back buffer goes with the paint. What appears once (the window's
    // DC, its tooltip, the scroll bar's drawing) does not grow with scrolling.
    EXPECT_LE(gdiSettled - gdiBefore, 24);
    EXPECT_EQ(gdiSettled, gdiScrolled);

    delete form;
    CoUninitialize();
}
