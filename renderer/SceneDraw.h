// What a frame draws with GL, in whatever context is current: camera
// transform, ground square, particles with their overlay chains, and the
// overlay text. Nothing here knows the window system.
#pragma once

#include <cstdint>

#include "Camera.h"
#include "GlyphFont.h"
#include "ParticleBatch.h"
#include "ParticleSim.h"

namespace gx {

// Fixed state, the render lists 500..504 and a 1x1 white texture (returned,
// left bound) for a fresh context.
uint32_t PrepareSceneState();

void SetProjection(int width, int height, double nearPlane);
void ApplyCameraTransform(Camera &camera);  // also reads the axes back
void DrawGround(const double colour[3]);
// Frames at or above a sprite's frame count are set back to 0 as they draw.
// Quads sharing a texture and render list go out as one vertex-array draw.
void DrawParticles(SimState &sim, const Camera &camera);

// The overlay font ready to draw: the glyphs and their texture.
struct OverlayFont {
    const GlyphFont *glyphs;
    const GlyphAtlas *atlas;
    uint32_t texture;  // 0: no text
};
// A texture of the atlas (left unbound); 0 when the atlas is empty.
uint32_t MakeGlyphTexture(const GlyphAtlas &atlas);

struct OverlayText {
    const char *fpsText;
    const SimState *sim;  // null: no record attached, no particle texts
    const double *colour;
    bool shadow;
    OverlayFont font;
    int width, height;
    double effectTime;  // seconds since the effect (re)started
    double speed;       // playback speed
    double textScale;   // the desktop's scale: the overlay is drawn that much larger (below 1: 1)
};
void DrawOverlay(const OverlayText &overlay);
// One line of text in overlay coordinates (y down, width x height) with its
// pen at (x, y + 10), the shadow one pixel right and down. Each glyph is a
// textured square covering exactly the pixels of its bitmap; as with bitmaps
// at a raster position, a line whose pen starts outside the area is not drawn
// and codes the font lacks draw nothing. The texture bound before stays bound.
void DrawText(const OverlayFont &font, const char *text, int x, int y, const double colour[3], bool shadow,
              int width, int height);

}  // namespace gx
