// The pick's filter on page titles: the whole input is the title.
#include <string>

#include "FuzzInput.h"
#include "IconPageText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string title(reinterpret_cast<const char*>(data), size);
    const std::string ext = TitleExtension(title);

    // A plain reading: the text after the last '.', '\' or ':', when that is a dot.
    std::string want;
    for (size_t i = title.size(); i-- > 0;) {
        const char c = title[i];
        if (c == '\\' || c == ':') break;
        if (c == '.') {
            for (size_t k = i; k < title.size(); ++k) {
                char d = title[k];
                if (d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
                want += d;
            }
            break;
        }
    }
    // TitleExtension lowers with the C locale's tolower: ASCII letters only.
    FUZZ_CHECK(ext == want);

    const bool picture = IsPictureTitle(title);
    FUZZ_CHECK(picture == (ext == ".gif" || ext == ".jpg" || ext == ".png" || ext == ".bmp"));
    // The same decision as the directory walk's extension filter.
    bool anyExtension = false;
    for (const char* e : PictureExtensions) anyExtension = anyExtension || HasExtension(title, e);
    FUZZ_CHECK(picture == anyExtension);
    return 0;
}
