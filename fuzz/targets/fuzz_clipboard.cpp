// The "HTML Format" payload from a picture path, and from any prefix.
// First byte: 0 the pick's header, 1 no prefix, else a prefix read from the
// input up to a NUL. The rest is the path.
#include <cstdlib>
#include <string>

#include "ClipboardPayload.h"
#include "Exceptions.h"
#include "FuzzInput.h"

namespace {

const std::string_view kStart = "<!--StartFragment-->";
const std::string_view kEnd = "<!--EndFragment-->";

// A header number read as a consumer of the format reads it: the line
// "Name:digits" among the lines before the first '<'.
long Field(const std::string& payload, const std::string& name) {
    const std::string head = payload.substr(0, payload.find('<'));
    const size_t at = head.find("\n" + name + ":");
    if (at == std::string::npos) return -1;
    return std::strtol(head.c_str() + at + name.size() + 2, nullptr, 10);
}

void CheckHeaded(const std::string& payload, const std::string& path) {
    const long startHtml = Field(payload, "StartHTML"), endHtml = Field(payload, "EndHTML");
    const long startFragment = Field(payload, "StartFragment"), endFragment = Field(payload, "EndFragment");
    FUZZ_CHECK(startHtml == 97 && payload.compare(97, 6, "<html>") == 0);
    FUZZ_CHECK(endHtml == static_cast<long>(payload.size()));
    FUZZ_CHECK(startFragment >= 20 && startFragment <= endFragment && endFragment <= endHtml);
    FUZZ_CHECK(payload.compare(static_cast<size_t>(startFragment) - kStart.size(), kStart.size(), kStart) == 0);
    FUZZ_CHECK(payload.compare(static_cast<size_t>(endFragment), std::string::npos, kEnd) == 0);
    FUZZ_CHECK(payload.substr(static_cast<size_t>(startFragment),
                              static_cast<size_t>(endFragment - startFragment)) ==
               "\r\n" + PictureElement(path) + "\r\n</body> </html>\r\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    std::string prefix;
    if (mode == 0) prefix = std::string(HtmlClipboardHeader);
    else if (mode != 1) prefix = in.Until('\0');
    const std::string path = in.Rest();

    // The src attribute, read as an HTML parser reads it, is the file URL of
    // the path, quotes included.
    const std::string element = PictureElement(path);
    const std::string_view open = "<IMG src=\"";
    FUZZ_CHECK(element.compare(0, open.size(), open) == 0 && element.size() >= open.size() + 2);
    FUZZ_CHECK(element.compare(element.size() - 2, 2, "\">") == 0);
    std::string src;
    for (size_t i = open.size(); i < element.size() - 2; ++i) {
        FUZZ_CHECK(element[i] != '"');
        if (element.compare(i, 6, "&quot;") == 0) {
            src += '"';
            i += 5;
        } else {
            src += element[i];
        }
    }
    // An '&' stays as the path has it (what consumers of this format get
    // today), so a name that spells a character reference is read as one.
    if (path.find('&') == std::string::npos) FUZZ_CHECK(src == "file:///" + path);
    if (path.find('"') == std::string::npos) FUZZ_CHECK(element == "<IMG src=\"file:///" + path + "\">");

    std::string payload;
    try {
        payload = BuildHtmlClipboardPayload(prefix, path);
    } catch (const Exception&) {
        FUZZ_CHECK(path.size() > 99999999);  // only a payload past eight digits is refused
        return 0;
    }
    if (prefix.empty()) {
        FUZZ_CHECK(payload == std::string(kStart) + element + std::string(kEnd));
        return 0;
    }
    // Whatever the prefix, only digits of its header fields change and the
    // fragment follows it unchanged.
    FUZZ_CHECK(payload.size() == prefix.size() + 2 + kStart.size() + 2 + element.size() + 2 + 15 + 2 +
                                     kEnd.size());
    for (size_t i = 0; i < prefix.size(); ++i)
        FUZZ_CHECK(payload[i] == prefix[i] || (payload[i] >= '0' && payload[i] <= '9' && prefix[i] >= '0' &&
                                               prefix[i] <= '9'));
    FUZZ_CHECK(payload.compare(prefix.size(), std::string::npos,
                               "\r\n" + std::string(kStart) + "\r\n" + element + "\r\n</body> </html>\r\n" +
                                   std::string(kEnd)) == 0);
    if (mode == 0) CheckHeaded(payload, path);
    return 0;
}
