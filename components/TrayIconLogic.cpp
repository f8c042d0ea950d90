#include "TrayIconLogic.h"

#include <algorithm>

namespace trayicon {

std::string TipText(const std::string& hint, bool showHint) {
    if (!showHint || hint.empty()) return {};
    return hint.substr(0, kTipBytes - 1);
}

int StoredIconIndex(int requested, int count, bool hasList) {
    if (!hasList || count <= 0) return 0;
    return std::clamp(requested, 0, count - 1);
}

int NextCycleIndex(int index, int count, bool hasList) {
    if (!hasList || count <= 0) return 0;
    return index < count - 1 ? index + 1 : 0;
}

}  // namespace trayicon
