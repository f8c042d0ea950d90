// Where a glyph button puts its picture and its caption. Pure arithmetic;
// no windows.h.
#pragma once

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphPlacement {
    int glyphX = 0, glyphY = 0;
    int textX = 0, textY = 0;
};

// Places a glyph of glyphW x glyphH and a caption of textW x textH in a
// client area of clientW x clientH. Margin is the distance from the edge on
// the glyph's side (-1: centre glyph and caption together); Spacing the gap
// between glyph and caption (-1: share the free room evenly). A missing
// glyph or caption (size 0) needs no gap.
TGlyphPlacement PlaceGlyphAndCaption(int clientW, int clientH, int glyphW, int glyphH, int textW, int textH,
                                     TButtonLayout layout, int margin, int spacing);
