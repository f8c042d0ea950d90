// Pictures: TBitmap (a 24-bit DIB section) and TIcon, each owning its GDI
// handle. Bitmaps come from BITMAP resources, from RCDATA resources holding
// a JPEG, or from JPEG bytes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Handles.h"

struct JpegImage;
class TCanvas;

class TBitmap {
public:
    TBitmap();
    ~TBitmap();
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return !handle_; }
    HBITMAP Handle() const { return handle_.Get(); }

    // A BITMAP resource, or an RCDATA resource that holds a JPEG file.
    // Raises Exception when neither exists or the data cannot be read.
    void LoadFromResourceName(HINSTANCE instance, const char* name);
    // Raises EJpegError for data that is not a complete, valid JPEG.
    void LoadFromJpeg(const void* data, std::size_t size);
    void LoadFromJpeg(const JpegImage& image);
    // A new picture of the given size filled with one colour.
    void SetSize(int width, int height, COLORREF fill = RGB(255, 255, 255));
    // An independent copy (a bitmap is never shared between owners).
    TBitmap Clone() const;
    void Clear();

    // The colour of one pixel; CLR_INVALID outside the picture.
    COLORREF Pixel(int x, int y) const;
    // The colour that glyphs treat as see-through: the bottom-left pixel.
    COLORREF TransparentColor() const { return Pixel(0, height_ - 1); }

    // Drawing on the picture: a memory DC that holds it, made on first use
    // and kept while the picture stays the same (SetSize and loading make a
    // new picture and a new canvas).
    TCanvas& Canvas();

    // When set, Draw leaves out the pixels of TransparentColor(): glyph
    // style see-through drawing keyed on the bottom-left pixel.
    bool Transparent = false;

    void Draw(HDC dc, int x, int y) const;
    void StretchDraw(HDC dc, const RECT& rect) const;
    // Draws every pixel except those of `transparentColour`.
    void DrawTransparent(HDC dc, int x, int y, COLORREF transparentColour) const;

private:
    struct CanvasDC;
    // The picture selected into a DC for reading: its canvas's when it has
    // one (a bitmap can be selected into one DC only), else a new one.
    template <class F>
    void WithSourceDC(HDC reference, F&& draw) const;

    // A blank top-down 24-bit DIB section; `bits_` points at its rows.
    void Create(int width, int height);
    std::size_t Stride() const { return (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3}; }
    void LoadFromBitmapResource(HINSTANCE instance, const char* name);

    GdiObject<HBITMAP> handle_;
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    // Declared after the handle: destroyed first, so the picture leaves the
    // DC before it is deleted.
    std::unique_ptr<CanvasDC> canvas_;
};

class TIcon {
public:
    TIcon() = default;
    TIcon(TIcon&& other) noexcept;
    TIcon& operator=(TIcon&& other) noexcept;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;
    ~TIcon() { Clear(); }

    HICON Handle() const { return handle_; }
    bool Empty() const { return handle_ == nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // An ICON resource; width and height 0 take the resource's first image
    // at its own size, otherwise the image closest to the size asked for.
    // Raises Exception when the resource is missing.
    void LoadFromResourceName(HINSTANCE instance, const char* name, int width = 0, int height = 0);
    // Takes ownership of `icon` (null empties the icon).
    void SetHandle(HICON icon);
    // Copies another icon's image into an independent handle of this one.
    void Assign(const TIcon& other);
    void Draw(HDC dc, int x, int y) const;
    void Clear();

private:
    HICON handle_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
