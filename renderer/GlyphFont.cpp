#include "GlyphFont.h"

namespace gx {

void ClearGlyphFont(GlyphFont &font)
{
    font.loaded = false;
    font.used = 0;
    for (Glyph &g : font.glyphs)
        g = Glyph{};
}

}  // namespace gx
