#include "GlyphFont.h"

#include <algorithm>

namespace gx {

void ClearGlyphFont(GlyphFont &font)
{
    font.loaded = false;
    font.used = 0;
    for (Glyph &g : font.glyphs)
        g = Glyph{};
}

namespace {
int PowerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}
}  // namespace

bool BuildGlyphAtlas(const GlyphFont &font, GlyphAtlas &atlas)
{
    atlas = GlyphAtlas{};
    if (!font.loaded)
        return false;
    int cellWidth = 1, cellHeight = 1;
    for (const Glyph &g : font.glyphs) {
        cellWidth = std::max<int>(cellWidth, g.width);
        cellHeight = std::max<int>(cellHeight, g.height);
    }
    const int width = PowerOfTwoAtLeast(cellWidth * 16);
    const int height = PowerOfTwoAtLeast(cellHeight * 16);
    if (width > GlyphAtlas::kMaxSide || height > GlyphAtlas::kMaxSide)
        return false;
    atlas.width = width;
    atlas.height = height;
    atlas.alpha.assign(static_cast<size_t>(width) * height, 0);
    for (int code = 0; code < 256; ++code) {
        const Glyph &g = font.glyphs[code];
        const int x0 = (code % 16) * cellWidth, y0 = (code / 16) * cellHeight;
        atlas.cells[code] = {static_cast<int16_t>(x0), static_cast<int16_t>(y0)};
        if (!g.present || g.width <= 0)
            continue;
        const int rowBytes = (g.width + 7) / 8;
        const uint8_t *bits = font.bits + g.offset;
        for (int row = 0; row < g.height; ++row)
            for (int x = 0; x < g.width; ++x)
                if (bits[row * rowBytes + x / 8] & (0x80u >> (x % 8)))
                    atlas.alpha[static_cast<size_t>(y0 + row) * width + x0 + x] = 255;
    }
    return true;
}

}  // namespace gx
