#include "PickDecision.h"

#include <iterator>

const char* const ComposeClasses[3] = {"ATH_Note", "rctrl_renwnd32", "MozillaWindowClass"};

int ComposeKindOf(const std::string& className, const std::string& title) {
    for (size_t i = 0; i < std::size(ComposeClasses); ++i)
        if (className == ComposeClasses[i]) return static_cast<int>(i) + 1;
    if (className == kFallbackComposeClass && title == kFallbackComposeTitle) return 0;
    return -1;
}

PickDecision DecidePickTarget(const PickFacts& facts) noexcept {
    if (facts.hotkeyTargetExists) {
        if (facts.hotkeyTargetKind >= 0)
            return {PickRoute::Compose, PickWindow::Hotkey, facts.hotkeyTargetKind};
        if (facts.pasteAnywhere) return {PickRoute::Picture, PickWindow::Hotkey, 0};
    }
    if (facts.composeFound) return {PickRoute::Compose, PickWindow::Compose, facts.composeKind};
    if (facts.pasteAnywhere && facts.lastForegroundUsable)
        return {PickRoute::Picture, PickWindow::LastForeground, 0};
    return {PickRoute::Notice, PickWindow::None, 0};
}
