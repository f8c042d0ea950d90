// TBitBtn: a push button that draws a glyph beside its caption.
#pragma once
#include <windows.h>

#include <string>

#include "ButtonLayout.h"
#include "Picture.h"
#include "StdCtrls.h"

// The glyph is a strip of NumGlyphs equal images side by side: normal,
// disabled, pressed, down. Its bottom-left pixel's colour is see-through.
// A disabled button without its own image shows the normal one greyed.
class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    const char* ClassName() const override { return "TBitBtn"; }

    const TBitmap& Glyph() const { return glyph_; }
    // Takes the picture; a strip whose width is 1..4 times its height sets NumGlyphs to match.
    void SetGlyph(TBitmap&& glyph);
    // A BITMAP (or JPEG RCDATA) resource of this program.
    void LoadGlyph(const std::string& resourceName);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    // Gap between glyph and caption; -1 shares the free room.
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    // Distance of the glyph from the edge; -1 centres glyph and caption.
    int Margin() const { return margin_; }
    void SetMargin(int value);

    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;
    // The glyph is redrawn from the one given at the new scale; spacing and margin follow.
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    DWORD ButtonStyle() const override { return BS_OWNERDRAW; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void DrawItem(const DRAWITEMSTRUCT& item);
    void DrawGlyph(HDC dc, int x, int y, int index, bool greyed) const;
    void Changed();
    // glyph_ from designGlyph_ at the button's resolution.
    void ScaleGlyph();

    TBitmap designGlyph_;  // as given, at 96 dpi
    TBitmap glyph_;        // as drawn
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    int margin_ = -1;
};
