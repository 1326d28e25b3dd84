#include "SceneDraw.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Playback.h"
#include "gamefs/SpriteModel.h"  // SpriteFrameTexture

namespace gx {

void SetProjection(int width, int height, double nearPlane)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero width would make the frustum degenerate; keep a square then.
    const double aspect = width > 0 ? static_cast<double>(height) / width : 1.0;
    const double top = aspect > 0.0 ? aspect : 1.0;
    glFrustum(-1.0, 1.0, -top, top, nearPlane, 8000.0);
    glMatrixMode(GL_MODELVIEW);
}

void ApplyCameraTransform(Camera &camera)
{
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(-camera.roll, 1.0f, 0.0f, 0.0f);
    glRotatef(-camera.pitch, 0.0f, 1.0f, 0.0f);
    glRotatef(-camera.yaw, 0.0f, 0.0f, 1.0f);
    glTranslatef(-camera.origin.x, -camera.origin.y, -camera.origin.z);
    glRotatef(-camera.sceneSpin, 0.0f, 0.0f, 1.0f);
    float matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    ReadCameraAxes(camera, matrix);
}

void DrawGround(const double colour[3])
{
    glDisable(GL_TEXTURE_2D);
    glColor3d(colour[0], colour[1], colour[2]);
    glBegin(GL_QUADS);
    glVertex3f(1000.0f, 1000.0f, 0.0f);
    glVertex3f(-1000.0f, 1000.0f, 0.0f);
    glVertex3f(-1000.0f, -1000.0f, 0.0f);
    glVertex3f(1000.0f, -1000.0f, 0.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

namespace {

QuadBatch g_batch;
bool g_batchReady = false;

// Sends each run of quads between state changes as one vertex-array draw.
class GLQuadSink {
public:
    explicit GLQuadSink(QuadBatch &batch) : batch_(batch) {}
    void BindTexture(uint32_t texture)
    {
        Flush();
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    void UseRenderList(int32_t list)
    {
        Flush();
        glCallList(static_cast<GLuint>(list));
    }
    void Quad(const Vec3 v[4], const float rgba[4])
    {
        if (BatchFull(batch_))
            Flush();
        AppendQuad(batch_, v, rgba);
    }
    void Flush()
    {
        if (batch_.quads == 0)
            return;
        glDrawArrays(GL_QUADS, 0, batch_.quads * 4);
        batch_.quads = 0;
    }

private:
    QuadBatch &batch_;
};

}  // namespace

uint32_t PrepareSceneState()
{
    glShadeModel(GL_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_POLYGON_STIPPLE);
    glDisable(GL_DITHER);
    glDisable(GL_NORMALIZE);
    glDisable(GL_AUTO_NORMAL);
    glDisable(GL_COLOR_LOGIC_OP);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    glNewList(kListAdditive, GL_COMPILE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEndList();

    glNewList(kListAlphaTest, GL_COMPILE);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEndList();

    glNewList(kListTexture, GL_COMPILE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEndList();

    glNewList(kListColour, GL_COMPILE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glEndList();

    glNewList(kListResetAfterParticles, GL_COMPILE);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    glEndList();

    // Particles without a sprite draw with whatever texture is bound. Before
    // any sprite was bound that is this plain white picture, so they show
    // their colour (an incomplete default texture would turn them black on
    // some drivers).
    static const GLubyte kWhitePixel[4] = {255, 255, 255, 255};
    GLuint plain = 0;
    glGenTextures(1, &plain);
    glBindTexture(GL_TEXTURE_2D, plain);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, kWhitePixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return plain;
}

uint32_t MakeGlyphTexture(const GlyphAtlas &atlas)
{
    if (atlas.width <= 0 || atlas.height <= 0 ||
        atlas.alpha.size() != static_cast<size_t>(atlas.width) * atlas.height)
        return 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, atlas.width, atlas.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 atlas.alpha.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return texture;
}

namespace {

// Squares of one text pass: corners and texture coordinates.
struct TextQuads {
    static constexpr int kMaxGlyphs = 256;
    float positions[kMaxGlyphs * 4 * 2];
    float texCoords[kMaxGlyphs * 4 * 2];
    int glyphs;
};
TextQuads g_text;

void FlushText()
{
    if (g_text.glyphs > 0)
        glDrawArrays(GL_QUADS, 0, g_text.glyphs * 4);
    g_text.glyphs = 0;
}

// One pass of a line: the pen starts at (x, y).
void TextPass(const OverlayFont &font, const char *text, int x, int y, double r, double g, double b,
              int width, int height)
{
    // Bitmaps at a raster position outside the view draw nothing at all.
    if (x < 0 || x > width || y < 0 || y > height)
        return;
    glColor3d(r, g, b);
    const GlyphFont &glyphs = *font.glyphs;
    const GlyphAtlas &atlas = *font.atlas;
    const float sScale = 1.0f / static_cast<float>(atlas.width);
    const float tScale = 1.0f / static_cast<float>(atlas.height);
    int pen = x;
    for (const char *c = text; *c; ++c) {
        const unsigned code = static_cast<unsigned char>(*c);
        const Glyph &glyph = glyphs.glyphs[code];
        if (!glyph.present)
            continue;
        if (glyph.width > 0) {
            if (g_text.glyphs == TextQuads::kMaxGlyphs)
                FlushText();
            // Overlay y runs down: the bitmap's bottom row lies yorig below the pen.
            const float x0 = static_cast<float>(pen - glyph.xorig);
            const float x1 = x0 + static_cast<float>(glyph.width);
            const float yBottom = static_cast<float>(y + glyph.yorig);
            const float yTop = yBottom - static_cast<float>(glyph.height);
            const GlyphAtlas::Cell cell = atlas.cells[code];
            const float s0 = static_cast<float>(cell.x) * sScale;
            const float s1 = static_cast<float>(cell.x + glyph.width) * sScale;
            const float t0 = static_cast<float>(cell.y) * tScale;
            const float t1 = static_cast<float>(cell.y + glyph.height) * tScale;
            float *p = g_text.positions + g_text.glyphs * 8;
            float *t = g_text.texCoords + g_text.glyphs * 8;
            const float corners[8] = {x0, yBottom, x1, yBottom, x1, yTop, x0, yTop};
            const float coords[8] = {s0, t0, s1, t0, s1, t1, s0, t1};
            for (int k = 0; k < 8; ++k) {
                p[k] = corners[k];
                t[k] = coords[k];
            }
            ++g_text.glyphs;
        }
        pen += glyph.advance;
    }
    FlushText();
}

}  // namespace

void DrawText(const OverlayFont &font, const char *text, int x, int y, const double colour[3], bool shadow,
              int width, int height)
{
    if (!font.glyphs || !font.atlas || !font.texture || !font.glyphs->loaded)
        return;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glEnable(GL_TEXTURE_2D);
    // Only the glyph's own pixels: texels outside it have alpha 0.
    glEnable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, g_text.positions);
    glTexCoordPointer(2, GL_FLOAT, 0, g_text.texCoords);
    if (shadow)
        TextPass(font, text, x + 1, y + 11, 0.2, 0.2, 0.2, width, height);
    TextPass(font, text, x, y + 10, colour[0], colour[1], colour[2], width, height);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_ALPHA_TEST);
    if (!textured)
        glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
}

void DrawParticles(SimState &sim, const Camera &camera)
{
    if (!g_batchReady) {
        InitQuadBatch(g_batch);
        g_batchReady = true;
    }
    glDepthMask(GL_FALSE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, g_batch.positions);
    glColorPointer(4, GL_FLOAT, 0, g_batch.colours);
    glTexCoordPointer(2, GL_FLOAT, 0, g_batch.texCoords);
    GLQuadSink sink(g_batch);
    WalkParticles(sim, camera, SpriteFrameTexture, sink);
    sink.Flush();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDepthMask(GL_TRUE);
    glCallList(kListResetAfterParticles);
}

namespace {

// How far the pen moves over a text, in overlay pixels.
int TextAdvance(const OverlayFont &font, const char *text)
{
    if (!font.glyphs)
        return 0;
    int advance = 0;
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(text); *c; ++c)
        advance += font.glyphs->glyphs[*c].advance;
    return advance;
}

}  // namespace

void DrawOverlay(const OverlayText &overlay)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // On a scaled desktop the overlay is laid out in the desktop's logical
    // pixels and drawn that much larger: the glyph texture's nearest texels
    // keep the letters sharp at whole scales.
    const double scale = overlay.textScale >= 1.0 ? overlay.textScale : 1.0;
    const int w = static_cast<int>(overlay.width / scale), h = static_cast<int>(overlay.height / scale);
    glOrtho(0.0, overlay.width / scale, overlay.height / scale, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);

    if (overlay.width > 0 && overlay.height > 0) {
        const OverlayFont &font = overlay.font;
        // The frame rate stands at the right of the first line; in a view too
        // narrow for both it moves below the left-hand lines instead of
        // writing over the particle count.
        int fpsY = 10;
        if (overlay.sim && overlay.sim->record) {
            char line[320];
            char speed[32];
            FormatSpeed(overlay.speed, speed, sizeof speed);
            std::snprintf(line, sizeof line, "Particles: %d / %d (%.2f s, %s)", overlay.sim->liveCount,
                          overlay.sim->capacity, overlay.effectTime, speed);
            DrawText(font, line, 5, 10, overlay.colour, overlay.shadow, w, h);
            if (5 + TextAdvance(font, line) > w - 80)
                fpsY = 50;
            std::snprintf(line, sizeof line, "Main Type: %.*s", kParticleTextSize - 1,
                          overlay.sim->record->maintype);
            DrawText(font, line, 5, 30, overlay.colour, overlay.shadow, w, h);
        }
        DrawText(font, overlay.fpsText, w - 80, fpsY, overlay.colour, overlay.shadow, w, h);
    }

    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

}  // namespace gx
