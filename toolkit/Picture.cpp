#include "Picture.h"

#include <cstring>
#include <string>
#include <utility>

#include "Exceptions.h"
#include "Graphics.h"
#include "Jpeg.h"

namespace {

// A memory DC compatible with `reference` (the screen when null).
class MemoryDC {
public:
    explicit MemoryDC(HDC reference) : dc_(CreateCompatibleDC(reference)) {
        if (!dc_) RaiseLastOSError();
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() { DeleteDC(dc_); }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Resource names may be numbers (MAKEINTRESOURCE); never dereference those.
std::string ResourceLabel(const char* name) {
    if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return name ? name : "";
}

[[noreturn]] void RaiseResourceNotFound(const char* name) {
    throw Exception("Resource " + ResourceLabel(name) + " not found");
}

// A top-down 24-bit header: rows run from the top, as in the JPEG decoder.
BITMAPINFO TopDown24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

// ---- TBitmap ----

// A memory DC holding the picture, with a canvas on it.
struct TBitmap::CanvasDC {
    explicit CanvasDC(HBITMAP bitmap) : dc(CreateCompatibleDC(nullptr)) {
        if (!dc) RaiseLastOSError();
        old = SelectObject(dc, bitmap);
        canvas.SetHandle(dc);
    }
    CanvasDC(const CanvasDC&) = delete;
    CanvasDC& operator=(const CanvasDC&) = delete;
    ~CanvasDC() {
        canvas.SetHandle(nullptr);  // gives the DC its own font back
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    HDC dc;
    HGDIOBJ old = nullptr;
    TCanvas canvas;
};

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

TBitmap::TBitmap(TBitmap&& other) noexcept
    : Transparent(std::exchange(other.Transparent, false)),
      handle_(std::move(other.handle_)),
      bits_(std::exchange(other.bits_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      canvas_(std::move(other.canvas_)) {}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
    if (this != &other) {
        canvas_.reset();  // our old picture leaves its DC before it goes
        Transparent = std::exchange(other.Transparent, false);
        handle_ = std::move(other.handle_);
        bits_ = std::exchange(other.bits_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        canvas_ = std::move(other.canvas_);
    }
    return *this;
}

TCanvas& TBitmap::Canvas() {
    if (Empty()) throw Exception("The picture is empty");
    if (!canvas_) canvas_ = std::make_unique<CanvasDC>(handle_.Get());
    return canvas_->canvas;
}

template <class F>
void TBitmap::WithSourceDC(HDC reference, F&& draw) const {
    if (canvas_) {
        draw(canvas_->dc);
        return;
    }
    MemoryDC source(reference);
    SelectGuard select(source.Get(), handle_.Get());
    draw(source.Get());
}

void TBitmap::Clear() { *this = TBitmap(); }

void TBitmap::Create(int width, int height) {
    if (width <= 0 || height <= 0) throw Exception("Invalid bitmap size");
    BITMAPINFO info = TopDown24(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) RaiseLastOSError();
    handle_.Reset(bitmap);
    bits_ = static_cast<std::uint8_t*>(bits);
    width_ = width;
    height_ = height;
}

void TBitmap::SetSize(int width, int height, COLORREF fill) {
    TBitmap fresh;
    fresh.Create(width, height);
    const std::uint8_t bgr[3] = {GetBValue(fill), GetGValue(fill), GetRValue(fill)};
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = fresh.bits_ + fresh.Stride() * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) std::memcpy(row + 3 * x, bgr, 3);
    }
    fresh.Transparent = Transparent;
    *this = std::move(fresh);
}

TBitmap TBitmap::Clone() const {
    TBitmap copy;
    if (Empty()) return copy;
    GdiFlush();  // GDI may still be drawing into our bits
    copy.Create(width_, height_);
    copy.Transparent = Transparent;
    std::memcpy(copy.bits_, bits_, Stride() * static_cast<std::size_t>(height_));
    return copy;
}

void TBitmap::LoadFromJpeg(const void* data, std::size_t size) { LoadFromJpeg(DecodeJpeg(data, size)); }

void TBitmap::LoadFromJpeg(const JpegImage& image) {
    TBitmap fresh;
    fresh.Create(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(fresh.bits_ + fresh.Stride() * static_cast<std::size_t>(y), image.Row(y), image.Stride());
    *this = std::move(fresh);
}

void TBitmap::LoadFromBitmapResource(HINSTANCE instance, const char* name) {
    // LoadImage keeps the resource's own depth (palettes included); GetDIBits
    // then converts whatever it is to our 24-bit layout.
    GdiObject<HBITMAP> source(static_cast<HBITMAP>(
        LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!source) RaiseLastOSError();
    BITMAP described{};
    if (!GetObjectA(source.Get(), sizeof described, &described)) RaiseLastOSError();

    TBitmap fresh;
    fresh.Create(described.bmWidth, described.bmHeight);
    BITMAPINFO info = TopDown24(described.bmWidth, described.bmHeight);
    MemoryDC dc(nullptr);
    if (GetDIBits(dc.Get(), source.Get(), 0, static_cast<UINT>(described.bmHeight), fresh.bits_, &info,
                  DIB_RGB_COLORS) != described.bmHeight)
        RaiseLastOSError();
    *this = std::move(fresh);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
    if (FindResourceA(instance, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
        LoadFromBitmapResource(instance, name);
        return;
    }
    HRSRC resource = FindResourceA(instance, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!resource) RaiseResourceNotFound(name);
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) RaiseLastOSError();
    const DWORD size = SizeofResource(instance, resource);
    if (!LooksLikeJpeg(data, size)) throw Exception("Resource " + ResourceLabel(name) + " is not a picture");
    LoadFromJpeg(data, size);
}

COLORREF TBitmap::Pixel(int x, int y) const {
    if (Empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    const std::uint8_t* p = bits_ + Stride() * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x);
    return RGB(p[2], p[1], p[0]);
}

void TBitmap::Draw(HDC dc, int x, int y) const {
    if (Empty()) return;
    if (Transparent) {
        DrawTransparent(dc, x, y, TransparentColor());
        return;
    }
    WithSourceDC(dc, [&](HDC source) { BitBlt(dc, x, y, width_, height_, source, 0, 0, SRCCOPY); });
}

void TBitmap::StretchDraw(HDC dc, const RECT& rect) const {
    if (Empty()) return;
    WithSourceDC(dc, [&](HDC source) {
        // Halftone averages the pixels when shrinking instead of dropping rows.
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        POINT oldOrigin{};
        SetBrushOrgEx(dc, 0, 0, &oldOrigin);
        StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0, width_,
                   height_, SRCCOPY);
        SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        if (oldMode) SetStretchBltMode(dc, oldMode);
    });
}

void TBitmap::DrawTransparent(HDC dc, int x, int y, COLORREF transparentColour) const {
    if (Empty()) return;
    // Keyed over a 24-bit copy of what lies underneath, then copied back:
    // Wine's TransparentBlt onto a palette DC draws the kept pixels wrong.
    TBitmap under;
    under.SetSize(width_, height_);
    HDC work = under.Canvas().Handle();
    BitBlt(work, 0, 0, width_, height_, dc, x, y, SRCCOPY);
    WithSourceDC(dc, [&](HDC source) {
        TransparentBlt(work, 0, 0, width_, height_, source, 0, 0, width_, height_, transparentColour);
    });
    BitBlt(dc, x, y, width_, height_, work, 0, 0, SRCCOPY);
}

// ---- TIcon ----

TIcon::TIcon(TIcon&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

TIcon& TIcon::operator=(TIcon&& other) noexcept {
    if (this != &other) {
        Clear();
        handle_ = std::exchange(other.handle_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

void TIcon::Clear() {
    if (handle_) DestroyIcon(handle_);
    handle_ = nullptr;
    width_ = height_ = 0;
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const char* name, int width, int height) {
    if (!FindResourceA(instance, name, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */)) RaiseResourceNotFound(name);
    HICON icon = static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, width, height, 0));
    if (!icon) RaiseLastOSError();
    SetHandle(icon);
}

void TIcon::SetHandle(HICON icon) {
    if (icon == handle_) return;
    // The icon's size is that of its colour image (or half the mask's height
    // for a monochrome icon, whose mask holds both halves).
    ICONINFO parts{};
    int w = 0, h = 0;
    if (icon && GetIconInfo(icon, &parts)) {
        BITMAP described{};
        if (parts.hbmColor && GetObjectA(parts.hbmColor, sizeof described, &described)) {
            w = described.bmWidth;
            h = described.bmHeight;
        } else if (parts.hbmMask && GetObjectA(parts.hbmMask, sizeof described, &described)) {
            w = described.bmWidth;
            h = described.bmHeight / 2;
        }
        if (parts.hbmColor) DeleteObject(parts.hbmColor);
        if (parts.hbmMask) DeleteObject(parts.hbmMask);
    }
    Clear();
    handle_ = icon;
    width_ = w;
    height_ = h;
}

void TIcon::Assign(const TIcon& other) {
    if (&other == this) return;
    if (other.Empty()) {
        Clear();
        return;
    }
    HICON copy = CopyIcon(other.handle_);
    if (!copy) RaiseLastOSError();
    SetHandle(copy);
}

void TIcon::Draw(HDC dc, int x, int y) const {
    if (handle_) DrawIconEx(dc, x, y, handle_, 0, 0, 0, nullptr, DI_NORMAL);
}
