// The tray icon's rules: tooltip bytes and icon indices.
#include <string>

#include "FuzzInput.h"
#include "TrayIconLogic.h"

using namespace trayicon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const bool showHint = in.Bool(), hasList = in.Bool();
    const int requested = static_cast<int>(in.U32()), count = static_cast<int>(in.U32());
    const std::string hint = in.Rest();

    const std::string tip = TipText(hint, showHint);
    FUZZ_CHECK(tip.size() < kTipBytes);  // room for the closing NUL
    FUZZ_CHECK(hint.compare(0, tip.size(), tip) == 0);
    FUZZ_CHECK(tip.empty() == (!showHint || hint.empty()));

    const int stored = StoredIconIndex(requested, count, hasList);
    if (!hasList || count <= 0) FUZZ_CHECK(stored == 0);
    else FUZZ_CHECK(stored >= 0 && stored < count && (stored == requested || requested < 0 || requested >= count));

    const int next = NextCycleIndex(stored, count, hasList);
    if (hasList && count > 0) FUZZ_CHECK(next >= 0 && next < count && (next == 0 || next == stored + 1));
    else FUZZ_CHECK(next == 0);
    return 0;
}
