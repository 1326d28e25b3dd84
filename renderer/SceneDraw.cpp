#include "SceneDraw.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "GLDevice.h"
#include "Playback.h"
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

void ParticleCorners(const Particle &p, const Camera &camera, Vec3 v[4])
{
    const float s = p.size;
    const int d = WholeDegrees(p.angle);
    const float a = s * CosDeg(d);
    const float b = s * CosDeg90(d);
    const Vec3 c = {p.origin.x + p.offset.x, p.origin.y + p.offset.y, p.origin.z + p.offset.z};
    const Vec3 &r = camera.right;
    const Vec3 &u = camera.up;
    v[0] = {c.x + b * u.x - a * r.x, c.y + b * u.y - a * r.y, c.z + b * u.z - a * r.z};
    v[1] = {c.x + a * u.x + b * r.x, c.y + a * u.y + b * r.y, c.z + a * u.z + b * r.z};
    v[2] = {c.x - b * u.x + a * r.x, c.y - b * u.y + a * r.y, c.z - b * u.z + a * r.z};
    v[3] = {c.x - a * u.x - b * r.x, c.y - a * u.y - b * r.y, c.z - a * u.z - b * r.z};
}

namespace {

void DrawChain(Particle &p, const Camera &camera)
{
    if (p.size == 0.0f)
        return;
    Vec3 v[4];
    ParticleCorners(p, camera, v);
    int members = 0;
    for (Particle *q = &p; q && members < kMaxChainMembers; q = OverlayChild(*q), ++members) {
        const TypeLink *link = q->typeLink;
        if (!link || !link->drawable)
            continue;
        if (link->sprite) {
            // A picture that got no texture keeps whatever is bound.
            if (const uint32_t texture = SpriteTexture(*link->sprite, q->frame, q->age))
                glBindTexture(GL_TEXTURE_2D, texture);
        }
        // A type whose modes were never read draws additively.
        glCallList(link->renderList != 0 ? link->renderList : kListAdditive);
        glColor4f(q->colour[0], q->colour[1], q->colour[2], q->alpha);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(v[3].x, v[3].y, v[3].z);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(v[2].x, v[2].y, v[2].z);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(v[1].x, v[1].y, v[1].z);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(v[0].x, v[0].y, v[0].z);
        glEnd();
    }
}

void DrawText(const char *text, int x, int y, const double colour[3], bool shadow)
{
    const GLsizei length = static_cast<GLsizei>(std::strlen(text));
    glListBase(kFontListBase);
    if (shadow) {
        glColor3d(0.2, 0.2, 0.2);
        glRasterPos2i(x + 1, y + 11);
        glCallLists(length, GL_UNSIGNED_BYTE, text);
    }
    glColor3d(colour[0], colour[1], colour[2]);
    glRasterPos2i(x, y + 10);
    glCallLists(length, GL_UNSIGNED_BYTE, text);
    glListBase(0);
}

}  // namespace

void DrawParticles(SimState &sim, const Camera &camera)
{
    glDepthMask(GL_FALSE);
    for (Particle *p = sim.activeHead; p; p = p->next)
        DrawChain(*p, camera);
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

    if (overlay.fontLists) {
        DrawText(overlay.fpsText, overlay.width - 80, 10, overlay.colour, overlay.shadow);
        if (overlay.sim && overlay.sim->record) {
            char line[320];
            char speed[32];
            FormatSpeed(overlay.speed, speed, sizeof speed);
            std::snprintf(line, sizeof line, "Particles: %d / %d (%.2f s, %s)",
                          overlay.sim->liveCount, overlay.sim->capacity, overlay.effectTime,
                          speed);
            DrawText(line, 5, 10, overlay.colour, overlay.shadow);
            std::snprintf(line, sizeof line, "Main Type: %.*s", kParticleTextSize - 1,
                          overlay.sim->record->maintype);
            DrawText(line, 5, 30, overlay.colour, overlay.shadow);
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
