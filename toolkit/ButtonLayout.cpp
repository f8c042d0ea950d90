#include "ButtonLayout.h"

namespace {
// Rounds half up, so an odd free pixel goes below / to the right.
int CentredStart(int room, int size) { return (room - size + 1) / 2; }
}  // namespace

TGlyphPlacement PlaceGlyphAndCaption(int clientW, int clientH, int glyphW, int glyphH, int textW, int textH,
                                     TButtonLayout layout, int margin, int spacing) {
    TGlyphPlacement p;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Across the layout direction both are centred.
    if (horizontal) {
        p.glyphY = CentredStart(clientH, glyphH);
        p.textY = CentredStart(clientH, textH);
    } else {
        p.glyphX = CentredStart(clientW, glyphW);
        p.textX = CentredStart(clientW, textW);
    }
    const int room = horizontal ? clientW : clientH;
    const int glyph = horizontal ? glyphW : glyphH;
    const int text = horizontal ? textW : textH;
    if (glyph == 0 || text == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (room - glyph - text) / 3;
            spacing = margin;
        } else {
            margin = CentredStart(room, glyph + spacing + text);
        }
    } else if (spacing == -1) {
        spacing = (room - margin - glyph - text) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        p.glyphX = margin;
        p.textX = margin + glyph + spacing;
        break;
    case blGlyphRight:
        p.glyphX = room - margin - glyph;
        p.textX = p.glyphX - spacing - text;
        break;
    case blGlyphTop:
        p.glyphY = margin;
        p.textY = margin + glyph + spacing;
        break;
    case blGlyphBottom:
        p.glyphY = room - margin - glyph;
        p.textY = p.glyphY - spacing - text;
        break;
    }
    return p;
}
