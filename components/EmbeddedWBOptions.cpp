#include "EmbeddedWBOptions.h"

namespace {
constexpr std::uint32_t kDownloadFlags[] = {
    0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000,
    0x4000, 0x8000, 0x10000, 0x20000, 0x40000, 0x10000000, 0x20000000, 0x40000000, 0x80000000,
};
constexpr std::uint32_t kHostUIFlags[] = {
    0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000,
    0x4000, 0x10000, 0x20000,
};

template <std::size_t N>
std::uint32_t SumOf(std::uint32_t bits, const std::uint32_t (&flags)[N]) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < N; ++k)
        if (bits & (1u << k)) sum += flags[k];
    return sum;
}
}  // namespace

std::uint32_t DownloadControlFlags(TDownloadControlOptions options) { return SumOf(options.Bits(), kDownloadFlags); }
std::uint32_t HostUIFlags(TUserInterfaceOptions options) { return SumOf(options.Bits(), kHostUIFlags); }

std::string DdeCommandName(std::string_view command) {
    std::size_t open = command.find('[');
    if (open == std::string_view::npos) return {};
    std::string_view rest = command.substr(open + 1);
    return std::string(rest.substr(0, rest.find('(')));
}
