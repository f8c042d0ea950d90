// The browser host's flag words, DDE command names, and the streams a page
// is loaded through.
#include <gtest/gtest.h>

#include "EmbeddedWBOptions.h"
#ifdef _WIN32  // the COM stream adapter; the rest also builds natively
#include "StreamAdapter.h"
#endif
#include "Streams.h"

using DL = TDownloadControlOption;
using UI = TUserInterfaceOption;

TEST(BrowserOptions, DownloadFlagsAreTheSumOfTheMembersFlags) {
    EXPECT_EQ(DownloadControlFlags({DL::DLCTL_DLIMAGES, DL::DLCTL_VIDEOS, DL::DLCTL_BGSOUNDS}), 0x70u);
    EXPECT_EQ(DownloadControlFlags({}), 0u);
    EXPECT_EQ(DownloadControlFlags({DL::DLCTL_NO_SCRIPTS, DL::DLCTL_URL_ENCODING_ENABLE_UTF8, DL::DLCTL_FORCEOFFLINE,
                                    DL::DLCTL_OFFLINE}),
              0x80u + 0x40000u + 0x10000000u + 0x80000000u);
    TDownloadControlOptions all = TDownloadControlOptions::FromBits((1u << 19) - 1);
    EXPECT_EQ(DownloadControlFlags(all), 0xF007FFF0u);
}

TEST(BrowserOptions, HostFlagsSkipTheUnusedBit) {
    EXPECT_EQ(HostUIFlags({}), 0u);
    EXPECT_EQ(HostUIFlags({UI::DIALOG, UI::NO3DBORDER}), 0x5u);
    // Members 15 and 16 stand for 0x10000 and 0x20000: 0x8000 has no member.
    EXPECT_EQ(HostUIFlags({UI::ENABLE_FORMS_AUTOCOMPLETE, UI::ENABLE_INPLACE_NAVIGATION, UI::IME_ENABLE_RECONVERSION}),
              0x34000u);
    EXPECT_EQ(HostUIFlags(TUserInterfaceOptions::FromBits((1u << 17) - 1)), 0x37FFFu);
}

TEST(BrowserOptions, SetMembersAreBits) {
    TDownloadControlOptions s{DL::DLCTL_DLIMAGES, DL::DLCTL_BGSOUNDS};
    EXPECT_EQ(s.Bits(), 0x5u);
    EXPECT_TRUE(s.Contains(DL::DLCTL_BGSOUNDS));
    s.Exclude(DL::DLCTL_BGSOUNDS);
    EXPECT_FALSE(s.Contains(DL::DLCTL_BGSOUNDS));
}

TEST(BrowserOptions, DdeCommandNameIsTheTextAfterTheBracketUpToTheParenthesis) {
    EXPECT_EQ(DdeCommandName("[ViewFolder(\"%l\", %I, %S)]"), "ViewFolder");
    EXPECT_EQ(DdeCommandName("[ExploreFolder(\"%l\")]"), "ExploreFolder");
    EXPECT_EQ(DdeCommandName("[FindFolder]"), "FindFolder]");
    EXPECT_EQ(DdeCommandName("no bracket(here)"), "");
    EXPECT_EQ(DdeCommandName(""), "");
}

#ifdef _WIN32
namespace {
struct CountedStream : TMemoryStream {
    explicit CountedStream(int& alive) : alive_(alive) { ++alive_; }
    ~CountedStream() override { --alive_; }
    int& alive_;
};
}  // namespace

TEST(StreamAdapter, ReadsSeeksAndReportsTheSizeOfTheStream) {
    TMemoryStream stream;
    stream.WriteText("<html>\r\n</html>\r\n");
    IStream* s = TStreamAdapter::Create(&stream);
    LARGE_INTEGER zero{};
    ULARGE_INTEGER pos{};
    ASSERT_EQ(s->Seek(zero, STREAM_SEEK_SET, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 0u);
    char buf[64] = {};
    ULONG got = 0;
    EXPECT_EQ(s->Read(buf, 6, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "<html>");
    EXPECT_EQ(s->Read(buf, sizeof buf, &got), S_FALSE);  // short read at the end
    EXPECT_EQ(std::string(buf, got), "\r\n</html>\r\n");
    STATSTG stat{};
    EXPECT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 17u);
    IUnknown* unk = nullptr;
    EXPECT_EQ(s->QueryInterface(IID_ISequentialStream, reinterpret_cast<void**>(&unk)), S_OK);
    unk->Release();
    EXPECT_EQ(s->Release(), 0u);
    EXPECT_EQ(stream.Size(), 17);  // not owned: still there
}

TEST(StreamAdapter, AnOwnedStreamLivesAsLongAsTheLastReference) {
    int alive = 0;
    IStream* s = TStreamAdapter::Create(new CountedStream(alive), TStreamOwnership::soOwned);
    s->AddRef();  // a reader that keeps it
    s->Release();
    EXPECT_EQ(alive, 1);
    s->Release();
    EXPECT_EQ(alive, 0);
}

#endif  // _WIN32

TEST(MemoryStream, SeekClampsAndWritesGrowTheStream) {
    TMemoryStream m;
    m.WriteText("abc");
    EXPECT_EQ(m.Seek(-10, TSeekOrigin::soCurrent), 0);
    m.Seek(5, TSeekOrigin::soBeginning);
    m.WriteText("x");
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Memory()[3], 0);
    m.SetSize(2);
    EXPECT_EQ(m.Position(), 2);
}
