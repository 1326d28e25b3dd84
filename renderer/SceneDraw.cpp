#include "SceneDraw.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "SpriteBridge.h"

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

void DrawText(const GlyphFont &font, const char *text, int x, int y, const double colour[3],
              bool shadow)
{
    if (!font.loaded)
        return;
    static const GLubyte kEmpty[1] = {0};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int pass = shadow ? 0 : 1; pass < 2; ++pass) {
        if (pass == 0) {
            glColor3d(0.2, 0.2, 0.2);
            glRasterPos2i(x + 1, y + 11);
        } else {
            glColor3d(colour[0], colour[1], colour[2]);
            glRasterPos2i(x, y + 10);
        }
        for (const char *c = text; *c; ++c) {
            const Glyph &g = font.glyphs[static_cast<unsigned char>(*c)];
            if (!g.present)
                continue;
            if (g.width > 0)
                glBitmap(g.width, g.height, g.xorig, g.yorig, g.advance, 0.0f,
                         font.bits + g.offset);
            else
                glBitmap(0, 0, 0.0f, 0.0f, g.advance, 0.0f, kEmpty);
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
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
    WalkParticles(sim, camera, SpriteTexture, sink);
    sink.Flush();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDepthMask(GL_TRUE);
    glCallList(kListResetAfterParticles);
}

void DrawOverlay(const OverlayText &overlay)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, overlay.width, overlay.height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);

    if (overlay.font && overlay.font->loaded) {
        const GlyphFont &font = *overlay.font;
        DrawText(font, overlay.fpsText, overlay.width - 80, 10, overlay.colour, overlay.shadow);
        if (overlay.sim && overlay.sim->record) {
            char line[320];
            std::snprintf(line, sizeof line, "Particles: %d / %d", overlay.sim->liveCount,
                          overlay.sim->capacity);
            DrawText(font, line, 5, 10, overlay.colour, overlay.shadow);
            std::snprintf(line, sizeof line, "Main Type: %.*s", kParticleTextSize - 1,
                          overlay.sim->record->maintype);
            DrawText(font, line, 5, 30, overlay.colour, overlay.shadow);
        }
    }

    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

}  // namespace gx
