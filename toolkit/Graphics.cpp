#include "Graphics.h"

#include "Picture.h"

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

int DrawTextInCodePage(HDC dc, const std::string& text, RECT& rect, UINT format, UINT codePage) {
    if (codePage == 0) return DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    const int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    // The selected font in the code page's character set, so that the font
    // mapper picks a face that has its glyphs (Wine links no fallback face
    // to "MS Sans Serif" and friends).
    GdiObject<HFONT> matching;
    HGDIOBJ previous = nullptr;
    CHARSETINFO info{};
    LOGFONTA lf{};
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &info, TCI_SRCCODEPAGE) &&
        GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf) && lf.lfCharSet != info.ciCharset) {
        lf.lfCharSet = static_cast<BYTE>(info.ciCharset);
        matching.Reset(CreateFontIndirectA(&lf));
        if (matching) previous = SelectObject(dc, matching.Get());
    }
    int height = DrawTextW(dc, wide.c_str(), length, &rect, format);
    if (previous) SelectObject(dc, previous);
    return height;
}

int TextInkWidth(HDC dc, const std::string& text, const RECT& calculated, UINT format, UINT codePage) {
    const int width = calculated.right - calculated.left, height = calculated.bottom - calculated.top;
    if (width <= 0 || height <= 0) return width;
    const int room = width + height * 2;  // enough for any overhang
    HDC scratch = CreateCompatibleDC(dc);
    GdiObject<HBITMAP> bitmap(CreateBitmap(room, height, 1, 1, nullptr));
    if (!scratch || !bitmap) {
        if (scratch) DeleteDC(scratch);
        return width;
    }
    HGDIOBJ oldBitmap = SelectObject(scratch, bitmap.Get());
    HGDIOBJ oldFont = SelectObject(scratch, GetCurrentObject(dc, OBJ_FONT));
    RECT all{0, 0, room, height};
    PatBlt(scratch, 0, 0, room, height, WHITENESS);
    SetTextColor(scratch, RGB(0, 0, 0));
    SetBkMode(scratch, TRANSPARENT);
    DrawTextInCodePage(scratch, text, all, format & ~static_cast<UINT>(DT_CALCRECT | DT_RIGHT | DT_CENTER), codePage);
    int inked = width;
    for (int x = room - 1; x >= width && inked == width; --x)
        for (int y = 0; y < height; ++y)
            if (GetPixel(scratch, x, y) == RGB(0, 0, 0)) {
                inked = x + 1;
                break;
            }
    SelectObject(scratch, oldFont);
    SelectObject(scratch, oldBitmap);
    DeleteDC(scratch);
    return inked;
}

namespace {
int ScreenPixelsPerInch() {
    static int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}
}  // namespace

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::Assign(const TFont& other) {
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    Changed();
}

void TFont::Changed() {
    // A font selected into a DC cannot be deleted: the canvas lets go first.
    if (canvas_ && handle_) canvas_->Restore();
    handle_.Reset();
    OnChange(nullptr);
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

TCanvas::~TCanvas() { Restore(); }

void TCanvas::SetHandle(HDC dc) {
    Restore();
    dc_ = dc;
}

void TCanvas::Restore() {
    if (dc_ && oldFont_) SelectObject(dc_, oldFont_);
    oldFont_ = nullptr;
}

void TCanvas::SelectFont() {
    HGDIOBJ previous = SelectObject(dc_, Font.Handle());
    if (!oldFont_) oldFont_ = previous;
    SetTextColor(dc_, ColorToRGB(Font.Color()));
}

void TCanvas::FillRect(const RECT& rect) {
    if (Brush.Clear) return;
    GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Brush.Color)));
    ::FillRect(dc_, &rect, brush.Get());
}

void TCanvas::FrameRect(const RECT& rect) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Pen.Color)));
    ::FrameRect(dc_, &rect, brush.Get());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, Pen.Width, ColorToRGB(Pen.Color)));
    GdiObject<HBRUSH> brush(Brush.Clear ? nullptr : CreateSolidBrush(ColorToRGB(Brush.Color)));
    SelectGuard p(dc_, pen.Get());
    SelectGuard b(dc_, brush ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
    ::Rectangle(dc_, left, top, right, bottom);
}

namespace {
// The canvas's pen and brush selected for one shape.
class ShapeTools {
public:
    ShapeTools(HDC dc, const TPen& pen, const TBrush& brush)
        : pen_(CreatePen(PS_SOLID, pen.Width, ColorToRGB(pen.Color))),
          brush_(brush.Clear ? nullptr : CreateSolidBrush(ColorToRGB(brush.Color))),
          usePen_(dc, pen_.Get()),
          useBrush_(dc, brush_ ? static_cast<HGDIOBJ>(brush_.Get()) : GetStockObject(NULL_BRUSH)) {}

private:
    GdiObject<HPEN> pen_;
    GdiObject<HBRUSH> brush_;
    SelectGuard usePen_;
    SelectGuard useBrush_;
};
}  // namespace

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    ShapeTools tools(dc_, Pen, Brush);
    ::RoundRect(dc_, left, top, right, bottom, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    ShapeTools tools(dc_, Pen, Brush);
    ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::Polyline(const POINT* points, int count) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, Pen.Width, ColorToRGB(Pen.Color)));
    SelectGuard p(dc_, pen.Get());
    ::Polyline(dc_, points, count);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, Pen.Width, ColorToRGB(Pen.Color)));
    SelectGuard p(dc_, pen.Get());
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    SelectFont();
    SetBkMode(dc_, Brush.Clear ? TRANSPARENT : OPAQUE);
    SetBkColor(dc_, ColorToRGB(Brush.Color));
    ::TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, const std::string& text, UINT format, UINT codePage) {
    SelectFont();
    SetBkMode(dc_, TRANSPARENT);
    RECT r = rect;
    DrawTextInCodePage(dc_, text, r, format, codePage);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SelectFont();
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) { bitmap.Draw(dc_, x, y); }
