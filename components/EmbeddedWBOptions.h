// Option sets of the embedded browser and the flag words computed from them,
// and the DDE command-name parsing. Pure logic: no windows.h here.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// A set of enumeration members: member k is bit k.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E m : members) Include(m);
    }
    static constexpr TSet FromBits(std::uint32_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr void Include(E m) { bits_ |= Bit(m); }
    constexpr void Exclude(E m) { bits_ &= ~Bit(m); }
    constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E m) { return 1u << static_cast<unsigned>(m); }
    std::uint32_t bits_ = 0;
};

// What the browser may download and run (the platform's DLCTL_ flags).
enum class TDownloadControlOption {
    DLCTL_DLIMAGES, DLCTL_VIDEOS, DLCTL_BGSOUNDS, DLCTL_NO_SCRIPTS, DLCTL_NO_JAVA,
    DLCTL_NO_RUNACTIVEXCTLS, DLCTL_NO_DLACTIVEXCTLS, DLCTL_DOWNLOADONLY, DLCTL_NO_FRAMEDOWNLOAD,
    DLCTL_RESYNCHRONIZE, DLCTL_PRAGMA_NO_CACHE, DLCTL_NO_BEHAVIORS, DLCTL_NO_METACHARSET,
    DLCTL_URL_ENCODING_DISABLE_UTF8, DLCTL_URL_ENCODING_ENABLE_UTF8, DLCTL_FORCEOFFLINE,
    DLCTL_NO_CLIENTPULL, DLCTL_SILENT, DLCTL_OFFLINE,
};
using TDownloadControlOptions = TSet<TDownloadControlOption>;

// Host user-interface flags (the platform's DOCHOSTUIFLAG_ + the member's name).
enum class TUserInterfaceOption {
    DIALOG, DISABLE_HELP_MENU, NO3DBORDER, SCROLL_NO, DISABLE_SCRIPT_INACTIVE, OPENNEWWIN,
    DISABLE_OFFSCREEN, FLAT_SCROLLBAR, DIV_BLOCKDEFAULT, ACTIVATE_CLIENTHIT_ONLY,
    OVERRIDEBEHAVIORFACTORY, CODEPAGELINKEDFONTS, URL_ENCODING_DISABLE_UTF8,
    URL_ENCODING_ENABLE_UTF8, ENABLE_FORMS_AUTOCOMPLETE, ENABLE_INPLACE_NAVIGATION,
    IME_ENABLE_RECONVERSION,
};
using TUserInterfaceOptions = TSet<TUserInterfaceOption>;

// The sum of the members' flags; 0 for an empty set.
std::uint32_t DownloadControlFlags(TDownloadControlOptions options);
std::uint32_t HostUIFlags(TUserInterfaceOptions options);

// A DDE command's name: the text after "[" up to the first "(" (to the end
// when there is no "("); empty when there is no "[".
std::string DdeCommandName(std::string_view command);
