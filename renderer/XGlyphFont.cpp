#include "XGlyphFont.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace gx {

namespace {

// Null: the font has no character of this code.
const XCharStruct *CharOf(const XFontStruct &font, unsigned code)
{
    if (font.min_byte1 != 0 || code < font.min_char_or_byte2 || code > font.max_char_or_byte2)
        return nullptr;
    if (!font.per_char)
        return &font.max_bounds;
    return &font.per_char[code - font.min_char_or_byte2];
}

GlyphMetrics MetricsOf(const XCharStruct &cs)
{
    return GlyphMetrics{cs.lbearing, cs.rbearing, cs.ascent, cs.descent, cs.width};
}

}  // namespace

bool LoadXGlyphFont(Display *display, const char *name, GlyphFont &font)
{
    ClearGlyphFont(font);
    XFontStruct *xfont = XLoadQueryFont(display, name);
    if (!xfont)
        return false;

    // Every glyph gets a cell of a 16 x 16 grid; one read brings them all back.
    const int cellWidth = std::max(1, xfont->max_bounds.rbearing - xfont->min_bounds.lbearing);
    const int cellHeight = std::max(1, xfont->max_bounds.ascent + xfont->max_bounds.descent);
    if (cellWidth > 256 || cellHeight > 256) {
        XFreeFont(display, xfont);
        return false;
    }
    const int gridWidth = cellWidth * 16, gridHeight = cellHeight * 16;
    const Pixmap pixmap = XCreatePixmap(display, DefaultRootWindow(display), gridWidth, gridHeight, 1);
    XGCValues values{};
    values.foreground = 0;
    values.background = 0;
    values.font = xfont->fid;
    const GC gc = XCreateGC(display, pixmap, GCForeground | GCBackground | GCFont, &values);
    XFillRectangle(display, pixmap, gc, 0, 0, gridWidth, gridHeight);
    XSetForeground(display, gc, 1);
    for (unsigned code = 0; code < GlyphFont::kCodes; ++code) {
        const XCharStruct *cs = CharOf(*xfont, code);
        if (!cs)
            continue;
        const int cellX = static_cast<int>(code % 16) * cellWidth;
        const int cellY = static_cast<int>(code / 16) * cellHeight;
        // Some glyphs ink beyond their box; clipping to it keeps the
        // neighbouring cells clean and each glyph cut as its box says.
        XRectangle box{static_cast<short>(cellX), static_cast<short>(cellY),
                       static_cast<unsigned short>(std::max(0, cs->rbearing - cs->lbearing)),
                       static_cast<unsigned short>(std::max(0, cs->ascent + cs->descent))};
        XSetClipRectangles(display, gc, 0, 0, &box, 1, Unsorted);
        const char c = static_cast<char>(code);
        XDrawString(display, pixmap, gc, cellX - cs->lbearing, cellY + cs->ascent, &c, 1);
    }
    XImage *image = XGetImage(display, pixmap, 0, 0, gridWidth, gridHeight, 1, XYPixmap);
    if (image) {
        for (unsigned code = 0; code < GlyphFont::kCodes; ++code) {
            const XCharStruct *cs = CharOf(*xfont, code);
            if (!cs)
                continue;
            const int cellX = static_cast<int>(code % 16) * cellWidth;
            const int cellY = static_cast<int>(code / 16) * cellHeight;
            AddGlyph(font, static_cast<int>(code), MetricsOf(*cs),
                     [&](int x, int y) { return XGetPixel(image, cellX + x, cellY + y) != 0; });
        }
        XDestroyImage(image);
        font.loaded = true;
    }
    XFreeGC(display, gc);
    XFreePixmap(display, pixmap);
    XFreeFont(display, xfont);
    return font.loaded;
}

}  // namespace gx
