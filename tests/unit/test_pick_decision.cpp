// Where a pick goes, decided from the facts about the windows.
#include <gtest/gtest.h>

#include "PickDecision.h"

namespace {

PickFacts Tray(bool composeFound, int composeKind, bool pasteAnywhere, bool lastUsable) {
    PickFacts f;
    f.composeFound = composeFound;
    f.composeKind = composeKind;
    f.pasteAnywhere = pasteAnywhere;
    f.lastForegroundUsable = lastUsable;
    return f;
}

PickFacts Hotkey(int targetKind, bool pasteAnywhere, bool composeFound = false, int composeKind = 0) {
    PickFacts f = Tray(composeFound, composeKind, pasteAnywhere, true);
    f.hotkeyTargetExists = true;
    f.hotkeyTargetKind = targetKind;
    return f;
}

void ExpectDecision(const PickFacts& facts, PickRoute route, PickWindow window, int kind) {
    const PickDecision d = DecidePickTarget(facts);
    EXPECT_EQ(d.route, route);
    EXPECT_EQ(d.window, window);
    EXPECT_EQ(d.kind, kind);
}

}  // namespace

TEST(ComposeKindOf, TheClassTableTheFallbackAndEverythingElse) {
    EXPECT_EQ(ComposeKindOf("ATH_Note", "anything"), 1);
    EXPECT_EQ(ComposeKindOf("rctrl_renwnd32", ""), 2);
    EXPECT_EQ(ComposeKindOf("MozillaWindowClass", "Write: x"), 3);
    EXPECT_EQ(ComposeKindOf("AfxFrameOrView42", "New Message"), 0);
    // The fallback needs its exact title; classes compare exactly.
    EXPECT_EQ(ComposeKindOf("AfxFrameOrView42", "New message"), -1);
    EXPECT_EQ(ComposeKindOf("AfxFrameOrView42", "New Message - Draft"), -1);
    EXPECT_EQ(ComposeKindOf("ath_note", ""), -1);
    EXPECT_EQ(ComposeKindOf("ToviraTestEditor", "Editor"), -1);
    EXPECT_EQ(ComposeKindOf("", ""), -1);
}

TEST(PickThroughTheTray, TheComposeWindowWinsWhateverTheOption) {
    for (bool anywhere : {false, true})
        for (int kind : {0, 1, 2, 3}) ExpectDecision(Tray(true, kind, anywhere, true), PickRoute::Compose, PickWindow::Compose, kind);
}

TEST(PickThroughTheTray, WithoutAComposeWindowTheLastWindowInFrontGetsThePicture) {
    ExpectDecision(Tray(false, 0, true, true), PickRoute::Picture, PickWindow::LastForeground, 0);
}

TEST(PickThroughTheTray, TheNoticeWhenTheOptionIsOffOrNoWindowIsLeft) {
    ExpectDecision(Tray(false, 0, false, true), PickRoute::Notice, PickWindow::None, 0);
    ExpectDecision(Tray(false, 0, true, false), PickRoute::Notice, PickWindow::None, 0);
    ExpectDecision(Tray(false, 0, false, false), PickRoute::Notice, PickWindow::None, 0);
}

TEST(PickThroughTheHotkey, AComposeTargetTakesTheComposePathWithItsOwnKind) {
    // Even when the class table would find another compose window first.
    ExpectDecision(Hotkey(3, true, true, 1), PickRoute::Compose, PickWindow::Hotkey, 3);
    ExpectDecision(Hotkey(0, false, true, 2), PickRoute::Compose, PickWindow::Hotkey, 0);
    ExpectDecision(Hotkey(2, false), PickRoute::Compose, PickWindow::Hotkey, 2);
}

TEST(PickThroughTheHotkey, AnyOtherTargetGetsThePictureEvenWithAComposeWindowOpen) {
    ExpectDecision(Hotkey(-1, true), PickRoute::Picture, PickWindow::Hotkey, 0);
    ExpectDecision(Hotkey(-1, true, true, 1), PickRoute::Picture, PickWindow::Hotkey, 0);
}

TEST(PickThroughTheHotkey, WithTheOptionOffAnotherProgramGetsNothingTheMailClientRulesApply) {
    ExpectDecision(Hotkey(-1, false, true, 2), PickRoute::Compose, PickWindow::Compose, 2);
    ExpectDecision(Hotkey(-1, false), PickRoute::Notice, PickWindow::None, 0);
}

TEST(PickThroughTheHotkey, ATargetThatWentAwayFallsBackToTheTrayRules) {
    PickFacts f = Hotkey(-1, true, true, 3);
    f.hotkeyTargetExists = false;
    ExpectDecision(f, PickRoute::Compose, PickWindow::Compose, 3);
    f = Hotkey(1, true);
    f.hotkeyTargetExists = false;
    f.lastForegroundUsable = false;
    ExpectDecision(f, PickRoute::Notice, PickWindow::None, 0);
}
