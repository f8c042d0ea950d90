// What PutHtmlOnClipboard leaves on the real clipboard (the payload text
// itself: test_clipboard_payload.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ClipboardOpen.h"
#include "ClipboardPayload.h"
#include "Exceptions.h"
#include "clip_peer.h"
#include "mainobj.h"
#include "PayloadLiterals.h"

namespace {

using clip_test::ComposePeer;

const std::string kHeader(HtmlClipboardHeader);

// ---- The real clipboard ------------------------------------------------------

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
    EXPECT_EQ(ClipboardBytes(htmlFormat), prefix.empty() ? literal::kSmileFacePlain : literal::kSmileFaceHeaded);
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
