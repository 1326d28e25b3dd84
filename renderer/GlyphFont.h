// The overlay font as glyph bitmaps kept in memory, made once when the device
// opens and drawn with one bitmap call per character: no display lists to
// build or call per frame. Free of GL and X: the device reads the pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace gx {

// One character: a bitmap of width x height pixels whose lower left corner
// lies xorig left of and yorig below the pen, then the pen moves `advance`.
// Rows run from the bottom up, (width + 7) / 8 bytes each, most significant
// bit leftmost: the layout of an OpenGL bitmap with unpack alignment 1.
struct Glyph {
    int16_t width, height;
    int16_t xorig, yorig;
    int16_t advance;
    bool present;     // false: the code draws nothing and does not move the pen
    uint32_t offset;  // first byte in GlyphFont::bits
};

// The metrics of a character as the font describes it (pixels; ascent above
// and descent below the baseline, bearings from the pen).
struct GlyphMetrics {
    int lbearing, rbearing, ascent, descent, width;
};

struct GlyphFont {
    static constexpr int kCodes = 255;  // codes 0 to 254; 255 draws nothing
    static constexpr uint32_t kBitsSize = 64 * 1024;
    bool loaded;
    uint32_t used;
    Glyph glyphs[256];
    uint8_t bits[kBitsSize];
};

void ClearGlyphFont(GlyphFont &font);  // nothing loaded, every code absent

// Every glyph's bitmap in one picture for a texture: one byte per texel, 255
// where a glyph pixel is set, in a 16 x 16 grid of cells as large as the
// largest glyph. Row 0 is the bottom row, like the bitmaps. Sides are powers
// of two, at most kMaxSide.
struct GlyphAtlas {
    static constexpr int kMaxSide = 2048;
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
    struct Cell {
        int16_t x, y;  // texel of the glyph's lower left corner
    };
    Cell cells[256] = {};
};

// False (and an empty atlas) when the font has no loaded glyphs or they do not fit.
bool BuildGlyphAtlas(const GlyphFont &font, GlyphAtlas &atlas);

// Adds a character. inked(x, y) tells whether the pixel x (from the left edge
// of the glyph's box) and y (from its top) is set; the box spans
// rbearing - lbearing by ascent + descent. A glyph with an empty box only
// moves the pen; one that no longer fits the store does the same.
template <typename Inked>
void AddGlyph(GlyphFont &font, int code, const GlyphMetrics &m, Inked inked)
{
    if (code < 0 || code >= GlyphFont::kCodes)
        return;
    Glyph &g = font.glyphs[code];
    g = Glyph{};
    g.present = true;
    g.advance = static_cast<int16_t>(m.width);
    const int width = m.rbearing - m.lbearing;
    const int height = m.ascent + m.descent;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return;
    const uint32_t rowBytes = static_cast<uint32_t>(width + 7) / 8;
    const uint32_t size = rowBytes * static_cast<uint32_t>(height);
    if (size > GlyphFont::kBitsSize - font.used)
        return;
    g.width = static_cast<int16_t>(width);
    g.height = static_cast<int16_t>(height);
    g.xorig = static_cast<int16_t>(-m.lbearing);
    // One row less than the descent: the text sits where the renderer's
    // glyph display lists always put it.
    g.yorig = static_cast<int16_t>(m.descent - 1);
    g.offset = font.used;
    uint8_t *out = font.bits + font.used;
    for (int row = 0; row < height; ++row) {
        uint8_t *line = out + static_cast<uint32_t>(row) * rowBytes;
        for (uint32_t b = 0; b < rowBytes; ++b)
            line[b] = 0;
        const int y = height - 1 - row;  // bitmaps start at the bottom row
        for (int x = 0; x < width; ++x)
            if (inked(x, y))
                line[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
    }
    font.used += size;
}

}  // namespace gx
