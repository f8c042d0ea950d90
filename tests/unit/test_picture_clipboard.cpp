// What PutPictureOnClipboard leaves on the real clipboard: "PNG" and
// CF_DIBV5 of the first frame with its alpha, read back byte by byte; the
// clipboard held by another program; the encoding cache.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <string>
#include <vector>

#include "ClipboardOpen.h"
#include "Exceptions.h"
#include "IconPageText.h"
#include "PictureClipboard.h"
#include "ProgramUnderTest.h"
#include "clip_peer.h"

namespace {

using clip_test::ComposePeer;

// tests/data/pictures/translucent.png: 5 x 3, white and opaque but for
// (0,0) opaque red, (1,0) green at alpha 128, (2,0) fully transparent,
// (3,1) opaque 200,100,50 and (4,2) 16,32,48 at alpha 64.
struct Pixel {
    int x, y;
    DWORD bgra;  // as a DWORD: AARRGGBB
};
const Pixel kTranslucent[] = {{0, 0, 0xFFFF0000}, {1, 0, 0x8000FF00}, {2, 0, 0x00000000},
                              {3, 1, 0xFFC86432}, {4, 2, 0x40102030}, {1, 1, 0xFFFFFFFF}};

std::string DataPicture(const std::string& name) { return WinePath(std::string(TEST_DATA_DIR) + "/pictures/" + name); }

std::vector<BYTE> ClipboardBytes(UINT format) {
    OpenedForTest clipboard;
    HANDLE data = clipboard.ok() ? GetClipboardData(format) : nullptr;
    if (!data) return {};
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(data));
    std::vector<BYTE> copy(bytes, bytes + GlobalSize(data));
    GlobalUnlock(data);
    return copy;
}

std::vector<UINT> OfferedFormats() {
    std::vector<UINT> formats;
    OpenedForTest clipboard;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) formats.push_back(format);
    return formats;
}

bool Offers(UINT format) {
    for (UINT f : OfferedFormats())
        if (f == format) return true;
    return false;
}

// A PNG read back through WIC: its size and pixels, top-down BGRA.
struct Decoded {
    UINT width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Decoded DecodePng(const std::vector<BYTE>& png) {
    Decoded out;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* bgra = nullptr;
    WICPixelFormatGUID format{};
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size()))) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetPixelFormat(&format)) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &bgra)) &&
        SUCCEEDED(bgra->GetSize(&out.width, &out.height))) {
        out.pixels.resize(static_cast<size_t>(out.width) * out.height);
        bgra->CopyPixels(nullptr, out.width * 4, static_cast<UINT>(out.pixels.size() * 4),
                         reinterpret_cast<BYTE*>(out.pixels.data()));
    }
    for (IUnknown* p : std::initializer_list<IUnknown*>{bgra, frame, decoder, stream, factory})
        if (p) p->Release();
    return out;
}

class PictureClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ForgetClipboardPictures();
    }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(PictureClipboard, PngAndDibV5HoldTheFirstFrameWithItsAlpha) {
    PutPictureOnClipboard(DataPicture("translucent.png"));
    const UINT png = RegisterClipboardFormatA("PNG");
    EXPECT_TRUE(Offers(png));
    EXPECT_TRUE(Offers(CF_DIBV5));
    EXPECT_FALSE(Offers(RegisterClipboardFormatA("HTML Format")));
    EXPECT_FALSE(Offers(CF_TEXT));

    const Decoded decoded = DecodePng(ClipboardBytes(png));
    ASSERT_EQ(decoded.width, 5u);
    ASSERT_EQ(decoded.height, 3u);
    for (const Pixel& p : kTranslucent) EXPECT_EQ(decoded.At(p.x, p.y), p.bgra) << p.x << "," << p.y;

    const std::vector<BYTE> dib = ClipboardBytes(CF_DIBV5);
    ASSERT_GE(dib.size(), sizeof(BITMAPV5HEADER) + 5 * 3 * 4);
    BITMAPV5HEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.bV5Size, 124u);
    EXPECT_EQ(header.bV5Width, 5);
    EXPECT_EQ(header.bV5Height, 3);  // bottom-up
    EXPECT_EQ(header.bV5Planes, 1);
    EXPECT_EQ(header.bV5BitCount, 32);
    EXPECT_EQ(header.bV5Compression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(header.bV5RedMask, 0x00FF0000u);
    EXPECT_EQ(header.bV5GreenMask, 0x0000FF00u);
    EXPECT_EQ(header.bV5BlueMask, 0x000000FFu);
    EXPECT_EQ(header.bV5AlphaMask, 0xFF000000u);
    const BYTE* rows = dib.data() + header.bV5Size;
    for (const Pixel& p : kTranslucent) {
        DWORD value;
        std::memcpy(&value, rows + ((3 - 1 - p.y) * 5 + p.x) * 4, 4);
        EXPECT_EQ(value, p.bgra) << p.x << "," << p.y;
    }
}

TEST_F(PictureClipboard, AnOpaquePictureGetsPlainRowsAndTheSystemMakesADibFromThem) {
    PutPictureOnClipboard(ForwardSlashPath(DataPicture("red.bmp")));
    const std::vector<BYTE> dibv5 = ClipboardBytes(CF_DIBV5);
    BITMAPV5HEADER header;
    ASSERT_GE(dibv5.size(), sizeof header);
    std::memcpy(&header, dibv5.data(), sizeof header);
    EXPECT_EQ(header.bV5Width, 20);
    EXPECT_EQ(header.bV5Height, 16);
    EXPECT_EQ(header.bV5Compression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(dibv5.size(), 124u + 20 * 16 * 4);
    DWORD first;
    std::memcpy(&first, dibv5.data() + 124, 4);
    EXPECT_EQ(first, 0xFFFF0000u);
    // Synthesised on request from the CF_DIBV5.
    const std::vector<BYTE> dib = ClipboardBytes(CF_DIB);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER info;
    std::memcpy(&info, dib.data(), sizeof info);
    EXPECT_EQ(info.biWidth, 20);
    EXPECT_EQ(info.biHeight, 16);
    EXPECT_EQ(info.biBitCount, 32);
}

TEST_F(PictureClipboard, AnimatedGifGivesItsFirstFrame) {
    PutPictureOnClipboard(DataPicture("blink.gif"));
    const Decoded decoded = DecodePng(ClipboardBytes(RegisterClipboardFormatA("PNG")));
    EXPECT_GT(decoded.width, 0u);
    EXPECT_GT(decoded.height, 0u);
}

TEST_F(PictureClipboard, HeldByAnotherProgramRaisesAndLeavesItClosed) {
    PutPictureOnClipboard(DataPicture("translucent.png"));
    ComposePeer holder("ClipHolder", "holder", "--hold-clipboard");
    ASSERT_FALSE(OpenClipboard(nullptr));
    const DWORD expectedCode = GetLastError();
    try {
        PutPictureOnClipboard(DataPicture("red.bmp"));
        FAIL() << "no error raised";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode(), expectedCode);
    }
    holder.Close();
    // The former content stayed, and nothing of ours kept it open.
    EXPECT_EQ(DecodePng(ClipboardBytes(RegisterClipboardFormatA("PNG"))).width, 5u);
    EXPECT_NO_THROW(PutPictureOnClipboard(DataPicture("red.bmp")));
    EXPECT_EQ(DecodePng(ClipboardBytes(RegisterClipboardFormatA("PNG"))).width, 20u);
}

TEST_F(PictureClipboard, MissingOrDamagedFilesRaiseWithoutTouchingTheClipboard) {
    PutPictureOnClipboard(DataPicture("translucent.png"));
    TempFolder folder;
    const std::string damaged = folder.WriteFile("damaged.png", "\x89PNG\r\n\x1a\n not really");
    EXPECT_THROW(PutPictureOnClipboard(folder / "missing.png"), EOSError);
    EXPECT_THROW(PutPictureOnClipboard(damaged), Exception);
    EXPECT_EQ(DecodePng(ClipboardBytes(RegisterClipboardFormatA("PNG"))).width, 5u);
}

TEST_F(PictureClipboard, TheCacheFollowsTheFileOnDisk) {
    TempFolder folder;
    const std::string path = folder.WriteFile("p.png", TempFolder::ReadFile(DataPicture("translucent.png")));
    const ClipboardPicture& first = EncodeClipboardPicture(path);
    EXPECT_EQ(first.width, 5);
    EXPECT_EQ(&EncodeClipboardPicture(path), &first);  // the same entry, not encoded again
    // Replaced by another picture (another size): encoded anew.
    folder.WriteFile("p.png", TempFolder::ReadFile(DataPicture("alpha.png")));
    EXPECT_EQ(EncodeClipboardPicture(path).width, 16);
}

}  // namespace
