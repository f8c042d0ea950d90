// The "HTML Format" payload text for one picture. Pure: built natively too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "PayloadLiterals.h"

namespace {

const std::string kHeader(HtmlClipboardHeader);

// The header numbers read the way a consumer of the format reads them:
// "Name:value" lines up to the first '<'.
long HeaderField(const std::string& payload, const std::string& name) {
    const size_t htmlAt = payload.find('<');
    const size_t at = payload.substr(0, htmlAt).find("\n" + name + ":");
    if (at == std::string::npos) return -1;
    return std::strtol(payload.c_str() + at + name.size() + 2, nullptr, 10);
}

TEST(HtmlPayload, HeadlessIsTheElementBetweenTheCommentsOnOneLine) {
    EXPECT_EQ(BuildHtmlClipboardPayload("", "C:/x/a.gif"),
              "<!--StartFragment--><IMG src=\"file:///C:/x/a.gif\"><!--EndFragment-->");
    EXPECT_EQ(BuildHtmlClipboardPayload("", "C:/My Pictures/smile face.gif"),
              "<!--StartFragment--><IMG src=\"file:///C:/My Pictures/smile face.gif\"><!--EndFragment-->");
}

// Windows names hold no '"', Unix names seen through Wine can: it once
// ended the src attribute in the middle of the path.
TEST(HtmlPayload, AQuoteInThePathCannotEndTheAttribute) {
    EXPECT_EQ(PictureElement("Z:/p/say \"hi\".gif"), "<IMG src=\"file:///Z:/p/say &quot;hi&quot;.gif\">");
    EXPECT_EQ(BuildHtmlClipboardPayload("", "Z:/a\"b.gif"),
              "<!--StartFragment--><IMG src=\"file:///Z:/a&quot;b.gif\"><!--EndFragment-->");
    const std::string headed = BuildHtmlClipboardPayload(kHeader, "Z:/a\"b.gif");
    EXPECT_EQ(HeaderField(headed, "EndHTML"), static_cast<long>(headed.size()));
    EXPECT_NE(headed.find("<IMG src=\"file:///Z:/a&quot;b.gif\">"), std::string::npos);
}

TEST(HtmlPayload, HeadedCarriesTheHeaderWithOffsetsOfThisPayload) {
    EXPECT_EQ(BuildHtmlClipboardPayload(kHeader, "C:/x/a.gif"),
              "Version:0.9\r\n"
              "StartHTML:00000097\r\n"
              "EndHTML:00000201\r\n"
              "StartFragment:00000132\r\n"
              "EndFragment:00000183\r\n"
              "<html> <body>\r\n"
              "<!--StartFragment-->\r\n"
              "<IMG src=\"file:///C:/x/a.gif\">\r\n"
              "</body> </html>\r\n"
              "<!--EndFragment-->");
    EXPECT_EQ(BuildHtmlClipboardPayload(kHeader, literal::kSmileFacePath) + '\0', literal::kSmileFaceHeaded);
}

TEST(HtmlPayload, HeaderOffsetsIndexTheHtmlTheFragmentAndTheEnd) {
    const std::vector<std::string> paths = {
        "C:/x/a.gif", "C:/My Pictures/smile face.gif", "D:/it's & <odd>/%s %d.png",
        "C:/caf\xE9/\xE4\xF6\xFC.jpg", "C:/" + std::string(240, 'n') + "/deep.bmp"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string payload = BuildHtmlClipboardPayload(kHeader, path);
        const long startHtml = HeaderField(payload, "StartHTML");
        const long endHtml = HeaderField(payload, "EndHTML");
        const long startFragment = HeaderField(payload, "StartFragment");
        const long endFragment = HeaderField(payload, "EndFragment");
        ASSERT_EQ(startHtml, 97);
        ASSERT_EQ(payload.compare(97, 6, "<html>"), 0);
        ASSERT_EQ(endHtml, static_cast<long>(payload.size()));
        ASSERT_TRUE(0 < startFragment && startFragment <= endFragment && endFragment <= endHtml);
        EXPECT_EQ(payload.substr(startFragment - 20, 20), "<!--StartFragment-->");
        EXPECT_EQ(payload.substr(startFragment, endFragment - startFragment),
                  "\r\n<IMG src=\"file:///" + path + "\">\r\n</body> </html>\r\n");
        EXPECT_EQ(payload.substr(endFragment), "<!--EndFragment-->");
    }
}

}  // namespace
