// The "HTML Format" payload and what PutHtmlOnClipboard leaves on the real
// clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "Exceptions.h"
#include "clip_peer.h"
#include "mainobj.h"

namespace {

using clip_test::ComposePeer;

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
    EXPECT_EQ(BuildHtmlClipboardPayload(kHeader, "C:/My Pictures/smile face.gif"),
              "Version:0.9\r\n"
              "StartHTML:00000097\r\n"
              "EndHTML:00000220\r\n"
              "StartFragment:00000132\r\n"
              "EndFragment:00000202\r\n"
              "<html> <body>\r\n"
              "<!--StartFragment-->\r\n"
              "<IMG src=\"file:///C:/My Pictures/smile face.gif\">\r\n"
              "</body> </html>\r\n"
              "<!--EndFragment-->");
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

// ---- The real clipboard ------------------------------------------------------

class OpenedForTest {
public:
    OpenedForTest() { ok_ = WaitFor([] { return OpenClipboard(nullptr) != FALSE; }); }
    ~OpenedForTest() {
        if (ok_) CloseClipboard();
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

void PutPlainText(const std::string& text) {
    OpenedForTest clipboard;
    ASSERT_TRUE(clipboard.ok());
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    CopyMemory(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    ASSERT_TRUE(SetClipboardData(CF_TEXT, memory));
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    OpenedForTest clipboard;
    if (!clipboard.ok()) return formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats.push_back(format);
    return formats;
}

std::string ClipboardBytes(UINT format) {
    OpenedForTest clipboard;
    HANDLE data = clipboard.ok() ? GetClipboardData(format) : nullptr;
    if (!data) return "<none>";
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    std::string copy(bytes, GlobalSize(data));
    GlobalUnlock(data);
    return copy;
}

// tests/e2e/clipboard_x_side.sh runs these one at a time and then reads the
// clipboard from the X side.
class PutHtml : public ::testing::TestWithParam<std::string> {};

TEST_P(PutHtml, OnlyHtmlFormatRemainsAndPlainTextIsGone) {
    const UINT htmlFormat = RegisterClipboardFormatA("HTML Format");
    const std::string& prefix = GetParam();
    PutPlainText("former content");
    PutHtmlOnClipboard(prefix, "C:/My Pictures/smile face.gif");

    EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{htmlFormat});
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "<none>");
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), "<none>");
    EXPECT_EQ(ClipboardBytes(htmlFormat), BuildHtmlClipboardPayload(prefix, "C:/My Pictures/smile face.gif") + '\0');
}

INSTANTIATE_TEST_SUITE_P(Clipboard, PutHtml, ::testing::Values(std::string(), kHeader),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param.empty() ? "Headless" : "Headed";
                         });

TEST(Clipboard, IsClosedAgainForOtherPrograms) {
    PutHtmlOnClipboard("", "C:/x/a.gif");
    // The peer opens the clipboard with its own window, which fails while
    // anyone else still holds it open.
    ComposePeer holder("ClipHolder", "holder", "--hold-clipboard");
    EXPECT_EQ(holder.CountLinesStartingWith("clipboard held"), 1u);
}

TEST(Clipboard, HeldByAnotherProgramRaisesTheSystemErrorAndChangesNothing) {
    PutPlainText("former content");
    ComposePeer holder("ClipHolder", "holder", "--hold-clipboard");

    ASSERT_FALSE(OpenClipboard(nullptr));
    const DWORD expectedCode = GetLastError();
    ASSERT_NE(expectedCode, 0u);
    try {
        PutHtmlOnClipboard(kHeader, "C:/x/a.gif");
        FAIL() << "no error raised";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode(), expectedCode);
        EXPECT_NE(error.Message().find(std::to_string(expectedCode)), std::string::npos) << error.Message();
        EXPECT_NE(error.Message().find(SysErrorMessage(expectedCode)), std::string::npos) << error.Message();
    }

    holder.Close();
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("former content") + '\0');
    // Nothing of ours stayed open: the next call goes through.
    EXPECT_NO_THROW(PutHtmlOnClipboard("", "C:/x/a.gif"));
}

}  // namespace
