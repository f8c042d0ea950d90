// Fonts, brushes, pens and the canvas: GDI objects with RAII and lazy handles.
#pragma once
#include <windows.h>

#include <string>

#include "Colors.h"
#include "Events.h"
#include "Handles.h"

// GetSysColor for system colours, the value itself otherwise.
COLORREF ColorToRGB(TColor color);

class TCanvas;
// DrawText for single-byte text; with a code page other than 0 the bytes are
// read in that code page (not the system's ANSI one) and drawn as Unicode.
int DrawTextInCodePage(HDC dc, const std::string& text, RECT& rect, UINT format, UINT codePage);
// The width that text drawn with DrawTextInCodePage in the DC's font really
// covers: at least what DT_CALCRECT reports, more where the drawn glyphs go
// past it (Wine's stand-ins for the classic fonts draw wider than they measure).
int TextInkWidth(HDC dc, const std::string& text, const RECT& calculated, UINT format, UINT codePage);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; Changed(); }
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int height) { height_ = height; Changed(); }
    // Points, derived from the height at the screen's resolution.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style) { style_ = style; Changed(); }
    TColor Color() const { return color_; }
    // The colour is not part of the GDI font: the handle stays.
    void SetColor(TColor color) { color_ = color; OnChange(nullptr); }
    int Charset() const { return charset_; }
    void SetCharset(int charset) { charset_ = charset; Changed(); }

    void Assign(const TFont& other);
    HFONT Handle();

    TNotifyEvent OnChange;

private:
    friend class TCanvas;
    void Changed();

    TCanvas* canvas_ = nullptr;  // the canvas this font belongs to, if any
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    GdiObject<HFONT> handle_;
};

class TBrush {
public:
    TColor Color = clWhite;
    bool Clear = false;  // hollow brush
};

class TPen {
public:
    TColor Color = clBlack;
    int Width = 1;
};

class TBitmap;

// Drawing on a device context. A canvas either wraps a DC it was given
// (painting) or owns one (a bitmap's canvas).
class TCanvas {
public:
    TCanvas() { Font.canvas_ = this; }
    explicit TCanvas(HDC dc) : dc_(dc) { Font.canvas_ = this; }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    ~TCanvas();

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc);

    TFont Font;
    TBrush Brush;
    TPen Pen;

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    // Shapes outlined with Pen and filled with Brush (unfilled when Brush.Clear).
    void Rectangle(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Ellipse(int left, int top, int right, int bottom);
    // Lines with Pen from the current position; the end point is not drawn.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const POINT* points, int count);
    // One pixel (CLR_INVALID outside the clip region when reading).
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    void SetPixel(int x, int y, COLORREF colour) { ::SetPixel(dc_, x, y, colour); }
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& rect, const std::string& text, UINT format, UINT codePage = 0);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, TBitmap& bitmap);

private:
    friend class TFont;
    void SelectFont();
    void Restore();

    HDC dc_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};
