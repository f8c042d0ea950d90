// TBitmap and TIcon over the exe's own resources: glyphs, menu images, the
// about picture, the application icon; drawing with and without a
// see-through colour.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "Exceptions.h"
#include "Jpeg.h"
#include "Picture.h"

namespace {

const COLORREF kFuchsia = RGB(255, 0, 255);
const COLORREF kAboutDisc = RGB(0x10, 0x60, 0xC0);
const COLORREF kAboutDiscDisabled = RGB(0xA0, 0xA0, 0xA0);

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

// A target bitmap selected into a memory DC, to draw on and read back.
class DrawingTarget {
public:
    DrawingTarget(int width, int height, COLORREF fill) : dc_(CreateCompatibleDC(nullptr)) {
        bitmap.SetSize(width, height, fill);
        old_ = SelectObject(dc_, bitmap.Handle());
    }
    ~DrawingTarget() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    TBitmap bitmap;

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

TEST(Picture, ButtonGlyphsAre16SquareOnFuchsia) {
    for (const char* name : {"GLYPH_RESCUE", "GLYPH_MINIMIZE", "GLYPH_EXIT"}) {
        SCOPED_TRACE(name);
        TBitmap glyph;
        glyph.LoadFromResourceName(Self(), name);
        EXPECT_FALSE(glyph.Empty());
        EXPECT_EQ(glyph.Width(), 16);
        EXPECT_EQ(glyph.Height(), 16);
        EXPECT_EQ(glyph.TransparentColor(), kFuchsia);
    }
}

TEST(Picture, AboutGlyphHoldsNormalAndDisabledStates) {
    TBitmap glyph;
    glyph.LoadFromResourceName(Self(), "GLYPH_ABOUT");
    EXPECT_EQ(glyph.Width(), 32);
    EXPECT_EQ(glyph.Height(), 16);
    EXPECT_EQ(glyph.TransparentColor(), kFuchsia);
    EXPECT_EQ(glyph.Pixel(3, 7), kAboutDisc);
    EXPECT_EQ(glyph.Pixel(16 + 3, 7), kAboutDiscDisabled);
    EXPECT_EQ(glyph.Pixel(32, 0), CLR_INVALID);
    EXPECT_EQ(glyph.Pixel(0, -1), CLR_INVALID);
}

TEST(Picture, MenuImageStripHasFourImages) {
    TBitmap strip;
    strip.LoadFromResourceName(Self(), "IMAGELIST6");
    EXPECT_EQ(strip.Width(), 64);
    EXPECT_EQ(strip.Height(), 16);
    EXPECT_EQ(strip.TransparentColor(), kFuchsia);
    // Each image leaves its top-left corner see-through and paints its middle.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(strip.Pixel(16 * i, 0), kFuchsia) << i;
        EXPECT_NE(strip.Pixel(16 * i + 7, 7), kFuchsia) << i;
    }
}

TEST(Picture, JpegResourceLoadsAsBitmap) {
    TBitmap about;
    about.LoadFromResourceName(Self(), "ABOUT_JPEG");
    EXPECT_EQ(about.Width(), 156);
    EXPECT_EQ(about.Height(), 213);
    const COLORREF yellow = about.Pixel(52, 25);
    EXPECT_NEAR(GetRValue(yellow), 255, 12);
    EXPECT_NEAR(GetGValue(yellow), 220, 12);
    EXPECT_NEAR(GetBValue(yellow), 0, 12);
}

TEST(Picture, MissingOrUnreadableResourcesRaiseAndKeepThePicture) {
    TBitmap glyph;
    glyph.LoadFromResourceName(Self(), "GLYPH_EXIT");
    try {
        glyph.LoadFromResourceName(Self(), "NO_SUCH_PICTURE");
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Resource NO_SUCH_PICTURE not found");
    }
    EXPECT_THROW(glyph.LoadFromResourceName(Self(), MAKEINTRESOURCEA(4711)), Exception);
    // An RCDATA resource that is no picture (the window layout).
    EXPECT_THROW(glyph.LoadFromResourceName(Self(), "TFRMMAIN"), Exception);
    const std::uint8_t truncated[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00};
    EXPECT_THROW(glyph.LoadFromJpeg(truncated, sizeof truncated), EJpegError);
    EXPECT_EQ(glyph.Width(), 16);
    EXPECT_EQ(glyph.TransparentColor(), kFuchsia);

    TIcon icon;
    EXPECT_THROW(icon.LoadFromResourceName(Self(), "NO_SUCH_ICON"), Exception);
    EXPECT_TRUE(icon.Empty());
}

TEST(Picture, DrawTransparentLeavesTheBackgroundAlone) {
    TBitmap glyph;
    glyph.LoadFromResourceName(Self(), "GLYPH_ABOUT");
    const COLORREF green = RGB(0, 128, 0);
    DrawingTarget target(40, 20, green);

    glyph.DrawTransparent(target.Dc(), 4, 2, glyph.TransparentColor());
    EXPECT_EQ(target.bitmap.Pixel(4, 2), green);            // glyph corner: see-through
    EXPECT_EQ(target.bitmap.Pixel(4 + 3, 2 + 7), kAboutDisc);
    EXPECT_EQ(target.bitmap.Pixel(39, 19), green);          // outside the glyph

    glyph.Draw(target.Dc(), 4, 2);
    EXPECT_EQ(target.bitmap.Pixel(4, 2), kFuchsia);          // plain copy
    EXPECT_EQ(target.bitmap.Pixel(4 + 16 + 3, 2 + 7), kAboutDiscDisabled);
}

TEST(Picture, StretchDrawScalesToTheRectangle) {
    TBitmap glyph;
    glyph.LoadFromResourceName(Self(), "GLYPH_ABOUT");
    DrawingTarget target(70, 40, RGB(0, 0, 0));
    glyph.StretchDraw(target.Dc(), RECT{2, 2, 66, 34});  // twice the size
    EXPECT_EQ(target.bitmap.Pixel(2 + 2 * 3, 2 + 2 * 7), kAboutDisc);
    EXPECT_EQ(target.bitmap.Pixel(2 + 2 * 19, 2 + 2 * 7), kAboutDiscDisabled);
    EXPECT_EQ(target.bitmap.Pixel(2, 33), kFuchsia);
    EXPECT_EQ(target.bitmap.Pixel(67, 20), RGB(0, 0, 0));
}

TEST(Picture, BitmapsMoveAndCloneWithoutSharingHandles) {
    TBitmap glyph;
    glyph.LoadFromResourceName(Self(), "GLYPH_EXIT");
    const HBITMAP handle = glyph.Handle();

    TBitmap moved(std::move(glyph));
    EXPECT_EQ(moved.Handle(), handle);
    EXPECT_TRUE(glyph.Empty());  // NOLINT(bugprone-use-after-move): moved-from state is specified
    EXPECT_EQ(glyph.Width(), 0);

    TBitmap copy = moved.Clone();
    EXPECT_NE(copy.Handle(), handle);
    EXPECT_EQ(copy.Width(), 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(copy.Pixel(x, y), moved.Pixel(x, y)) << x << "," << y;

    moved = TBitmap();
    EXPECT_TRUE(moved.Empty());
    EXPECT_EQ(GetObjectType(handle), 0u);  // the old handle was freed
    EXPECT_EQ(GetObjectType(copy.Handle()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(Picture, ApplicationIconIs32SquareAndDrawsTransparently) {
    TIcon icon;
    icon.LoadFromResourceName(Self(), "MAINICON");
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);

    const COLORREF grey = RGB(128, 128, 128);
    DrawingTarget target(32, 32, grey);
    icon.Draw(target.Dc(), 0, 0);
    EXPECT_EQ(target.bitmap.Pixel(0, 0), grey);  // outside the face
    const COLORREF face = target.bitmap.Pixel(16, 6);
    EXPECT_GT(GetRValue(face), 200);
    EXPECT_GT(GetGValue(face), 150);
    EXPECT_LT(GetBValue(face), 80);

    TIcon small;
    small.LoadFromResourceName(Self(), "MAINICON", 16, 16);
    EXPECT_EQ(small.Width(), 16);
}

TEST(Picture, ManifestAsksForCommonControls6) {
    HRSRC resource = FindResourceA(Self(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(resource, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(Self(), resource)));
    const std::string manifest(text, SizeofResource(Self(), resource));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("6595b64144ccf1df"), std::string::npos);
    // Both identities name the architecture the program was built for.
    const std::string arch = sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    const size_t first = manifest.find(arch);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(manifest.find(arch, first + 1), std::string::npos);
}
