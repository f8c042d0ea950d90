// The browser's flag words from option sets, and DDE command names.
#include <string>

#include "EmbeddedWBOptions.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint32_t bits = in.U32();

    // Each member's flag is its own bit, so the sum is the union; members
    // past the enumeration add nothing.
    std::uint32_t download = 0, host = 0;
    for (unsigned k = 0; k < 32; ++k) {
        if (!(bits & (1u << k))) continue;
        const TDownloadControlOptions one = TDownloadControlOptions::FromBits(1u << k);
        const TUserInterfaceOptions other = TUserInterfaceOptions::FromBits(1u << k);
        FUZZ_CHECK((DownloadControlFlags(one) & download) == 0 && (HostUIFlags(other) & host) == 0);
        download |= DownloadControlFlags(one);
        host |= HostUIFlags(other);
        if (k > static_cast<unsigned>(TDownloadControlOption::DLCTL_OFFLINE)) FUZZ_CHECK(DownloadControlFlags(one) == 0);
        if (k > static_cast<unsigned>(TUserInterfaceOption::IME_ENABLE_RECONVERSION)) FUZZ_CHECK(HostUIFlags(other) == 0);
    }
    FUZZ_CHECK(DownloadControlFlags(TDownloadControlOptions::FromBits(bits)) == download);
    FUZZ_CHECK(HostUIFlags(TUserInterfaceOptions::FromBits(bits)) == host);

    const std::string command = in.Rest();
    const std::string name = DdeCommandName(command);
    const size_t open = command.find('[');
    if (open == std::string::npos) {
        FUZZ_CHECK(name.empty());
    } else {
        FUZZ_CHECK(command.compare(open + 1, name.size(), name) == 0);
        FUZZ_CHECK(name.find('(') == std::string::npos);
        const size_t after = open + 1 + name.size();
        FUZZ_CHECK(after == command.size() || command[after] == '(');
    }
    return 0;
}
