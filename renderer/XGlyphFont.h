// Reads an X server font's glyphs into a GlyphFont: each glyph is drawn once
// into a pixmap on the server and read back, so the pixels are the server's.
#pragma once

#include <X11/Xlib.h>

#include "GlyphFont.h"

namespace gx {

// Codes 0 to 254 of the named font. False (and an empty font) when the font
// does not exist or its glyphs are too large to lay out.
bool LoadXGlyphFont(Display *display, const char *name, GlyphFont &font);

}  // namespace gx
