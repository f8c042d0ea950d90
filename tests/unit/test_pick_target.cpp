// FindPickTarget against real windows of other processes: the hotkey's
// target, the compose windows, the option, the last window in front.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "ForegroundWatch.h"
#include "PickTarget.h"
#include "clip_peer.h"
#include "main.h"

namespace {

using clip_test::ComposePeer;

class PickTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        HotkeyTarget = nullptr;
        PasteAnywhereFlag = true;
        StopForegroundWatch();  // forgets the last window in front
    }
    void TearDown() override {
        HotkeyTarget = nullptr;
        PasteAnywhereFlag = true;
        StopForegroundWatch();
    }
};

ComposePeer* NewEditor() {
    return new ComposePeer("ToviraTestEditor", "Editor", "--lifetime 120", "editor_peer.exe");
}

TEST_F(PickTargetTest, TheHotkeysTargetGetsThePictureEvenWithAComposeWindowOpen) {
    std::unique_ptr<ComposePeer> editor(NewEditor());
    ComposePeer note("ATH_Note", "Compose");
    HotkeyTarget = editor->Window();
    PickTarget target = FindPickTarget();
    EXPECT_EQ(target.decision.route, PickRoute::Picture);
    EXPECT_EQ(target.window, editor->Window());
    // With the option off, the mail-client rules: the compose window.
    PasteAnywhereFlag = false;
    target = FindPickTarget();
    EXPECT_EQ(target.decision.route, PickRoute::Compose);
    EXPECT_EQ(target.window, note.Window());
    EXPECT_EQ(target.decision.kind, 1);
}

TEST_F(PickTargetTest, AComposeWindowAsTheHotkeysTargetKeepsItsOwnKind) {
    ComposePeer note("ATH_Note", "Compose");
    ComposePeer mozilla("MozillaWindowClass", "Write");
    HotkeyTarget = mozilla.Window();
    const PickTarget target = FindPickTarget();
    EXPECT_EQ(target.decision.route, PickRoute::Compose);
    EXPECT_EQ(target.decision.kind, 3);  // headed payload, no switch keys
    EXPECT_EQ(target.window, mozilla.Window());
}

TEST_F(PickTargetTest, AClosedHotkeyTargetFallsBackToTheTrayRules) {
    std::unique_ptr<ComposePeer> editor(NewEditor());
    HotkeyTarget = editor->Window();
    editor.reset();
    ASSERT_FALSE(IsWindow(HotkeyTarget));
    const PickTarget target = FindPickTarget();
    EXPECT_EQ(target.decision.route, PickRoute::Notice);
    EXPECT_EQ(target.window, nullptr);
}

TEST_F(PickTargetTest, ThroughTheTrayTheWindowInFrontBeforeGetsThePicture) {
    std::unique_ptr<ComposePeer> editor(NewEditor());
    ASSERT_TRUE(editor->BringToFront());
    NoteForegroundWindow();  // as the main window is about to show
    PickTarget target = FindPickTarget();
    EXPECT_EQ(target.decision.route, PickRoute::Picture);
    EXPECT_EQ(target.window, editor->Window());
    // A compose window comes first; FindComposeTarget never looks further.
    {
        ComposePeer fallback("AfxFrameOrView42", "New Message");
        target = FindPickTarget();
        EXPECT_EQ(target.decision.route, PickRoute::Compose);
        EXPECT_EQ(target.decision.kind, 0);
        EXPECT_EQ(target.window, fallback.Window());
    }
    EXPECT_EQ(FindComposeTarget().decision.route, PickRoute::Notice);
    // A hidden window is no target.
    ShowWindow(editor->Window(), SW_HIDE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor->Window()); }));
    EXPECT_EQ(FindPickTarget().decision.route, PickRoute::Notice);
}

}  // namespace
