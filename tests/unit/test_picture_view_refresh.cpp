// The picture view given its folder's pictures again (UpdateFiles): it keeps
// where the page was scrolled to and the focused picture, and reads every
// picture again, so one that was broken while being written shows once whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "TestPictures.h"
#include "Wait.h"

namespace {

const auto* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

class PictureViewRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 340, 260);
        form->Show();
        view = new TPictureView(form);
        view->SetBounds(5, 5, 300, 200);
        view->SetParent(form);
    }
    void TearDown() override { delete form; }
    bool Settle() {
        view->Repaint();
        return WaitFor([&] { return view->MeasuredCount() == view->Count() && !view->Busy(); });
    }
    // `count` copies of a 20 x 16 picture, named p000.bmp ...
    std::vector<std::string> Pictures(int count) {
        const std::string bytes = TempFolder::ReadFile(TestDataPicture("red.bmp"));
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            char name[16];
            wsprintfA(name, "p%03d.bmp", i);
            out.push_back(folder.WriteFile(name, bytes));
        }
        return out;
    }
    TempFolder folder;
    TForm* form = nullptr;
    TPictureView* view = nullptr;
};

TEST_F(PictureViewRefresh, KeepsTheScrollPositionAndTheFocusedPictureByItsPath) {
    std::vector<std::string> files = Pictures(400);  // about fifty rows: taller than 300 + the view
    view->SetFiles(files);
    ASSERT_TRUE(Settle());
    view->SetFocus();
    view->SetFocusIndex(150);
    view->SetScrollPos(300);
    ASSERT_EQ(view->ScrollPos(), 300);
    ASSERT_EQ(view->FocusIndex(), 150);

    // One picture before the focused one goes, one comes at the end.
    const std::string focused = files[150];
    files.erase(files.begin() + 3);
    files.push_back(folder.WriteFile("z.bmp", TempFolder::ReadFile(TestDataPicture("red.bmp"))));
    view->UpdateFiles(files);
    EXPECT_EQ(view->ScrollPos(), 300);
    EXPECT_EQ(view->FocusIndex(), 149);
    EXPECT_EQ(view->File(view->FocusIndex()), focused);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(view->ScrollPos(), 300);

    // The focused picture gone: the page stays where it was.
    files.erase(files.begin() + 149);
    view->UpdateFiles(files);
    EXPECT_EQ(view->ScrollPos(), 300);
}

TEST_F(PictureViewRefresh, APictureBrokenWhileWrittenShowsOnceWhole) {
    const std::string whole = TempFolder::ReadFile(TestDataPicture("alpha.png"));
    const std::string path = folder.WriteFile("late.png", whole.substr(0, whole.size() / 2));
    view->SetFiles({path});
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(view->IsBroken(0));
    folder.WriteFile("late.png", whole);
    view->UpdateFiles({path});
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(view->IsBroken(0));
    EXPECT_TRUE(view->IsDecoded(0));
}

}  // namespace
