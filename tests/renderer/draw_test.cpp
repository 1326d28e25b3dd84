// The scene drawing in a GL context of its own, against the way the renderer
// used to draw: glyph display lists made by glXUseXFont for the overlay text,
// and one glBegin/glEnd quad per particle with a texture bind and a render
// list call before each. The pictures must come out identical, pixel for pixel.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

// After gtest: Xlib defines macros such as None and Bool.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ParticleBatch.h"
#include "SceneDraw.h"
#include "SpriteBridge.h"
#include "XGlyphFont.h"
#include "gamefs/SpriteModel.h"

#if GX_TEST_SPRITES
#include "SpriteWriter.h"
#endif

using namespace gx;

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// ---- the earlier drawing, kept as the reference ----

constexpr GLuint kReferenceFontBase = 1000;

bool BuildReferenceFontLists(Display *display)
{
    XFontStruct *font = XLoadQueryFont(display, "fixed");
    if (!font)
        return false;
    glXUseXFont(font->fid, 0, 255, kReferenceFontBase);
    static const GLubyte kEmpty[4] = {0, 0, 0, 0};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (unsigned code = 0; code < 255; ++code) {
        if (font->min_byte1 != 0 || code < font->min_char_or_byte2 || code > font->max_char_or_byte2)
            continue;
        const XCharStruct &cs = font->per_char ? font->per_char[code - font->min_char_or_byte2]
                                               : font->max_bounds;
        const bool blank = cs.rbearing - cs.lbearing <= 0 || cs.ascent + cs.descent <= 0;
        if (!blank || cs.width <= 0)
            continue;
        glNewList(kReferenceFontBase + code, GL_COMPILE);
        glBitmap(1, 1, 0.0f, 0.0f, static_cast<GLfloat>(cs.width), 0.0f, kEmpty);
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    XFreeFont(display, font);
    return true;
}

void ReferenceText(const char *text, int x, int y, const double colour[3], bool shadow)
{
    const GLsizei length = static_cast<GLsizei>(std::strlen(text));
    glListBase(kReferenceFontBase);
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

void ReferenceParticles(SimState &sim, const Camera &camera)
{
    glDepthMask(GL_FALSE);
    for (Particle *p = sim.activeHead; p; p = p->next) {
        if (p->size == 0.0f)
            continue;
        Vec3 v[4];
        ParticleCorners(*p, camera, v);
        int members = 0;
        for (Particle *q = p; q && members < kMaxChainMembers; q = OverlayChild(*q), ++members) {
            const TypeLink *link = q->typeLink;
            if (!link || !link->drawable)
                continue;
            if (link->sprite)
                if (const uint32_t texture = SpriteFrameTexture(*link->sprite, q->frame, q->age))
                    glBindTexture(GL_TEXTURE_2D, texture);
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
    glDepthMask(GL_TRUE);
    glCallList(kListResetAfterParticles);
}

// ---- a GLX window of the test's own ----

Display *g_display = nullptr;
Window g_window = 0;
GLXContext g_context = nullptr;
GLuint g_plainTexture = 0;

std::vector<uint8_t> ReadFrame()
{
    glFinish();
    std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Pixels where two frames differ.
int Differing(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    int count = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
        count += std::memcmp(&a[i], &b[i], 3) != 0;
    return count;
}

// GX_TEST_DUMP=<folder> keeps the compared frames as PPM pictures.
void Dump(const std::vector<uint8_t> &pixels, const char *name)
{
    const char *folder = std::getenv("GX_TEST_DUMP");
    if (!folder)
        return;
    std::FILE *f = std::fopen((std::string(folder) + "/" + name + ".ppm").c_str(), "wb");
    if (!f)
        return;
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (int y = kHeight - 1; y >= 0; --y)
        for (int x = 0; x < kWidth; ++x)
            std::fwrite(&pixels[(static_cast<size_t>(y) * kWidth + x) * 4], 1, 3, f);
    std::fclose(f);
}

void Overlay2D()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kWidth, kHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
}

class Draw : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_display = XOpenDisplay(nullptr);
        ASSERT_NE(g_display, nullptr) << "no X server: run under xvfb-run";
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                            8,        GLX_DEPTH_SIZE,   24,           None};
        XVisualInfo *visual = glXChooseVisual(g_display, DefaultScreen(g_display), attributes);
        ASSERT_NE(visual, nullptr);
        XSetWindowAttributes set{};
        set.colormap = XCreateColormap(g_display, DefaultRootWindow(g_display), visual->visual, AllocNone);
        g_window = XCreateWindow(g_display, DefaultRootWindow(g_display), 0, 0, kWidth, kHeight, 0,
                                 visual->depth, InputOutput, visual->visual, CWColormap, &set);
        XMapWindow(g_display, g_window);
        g_context = glXCreateContext(g_display, visual, nullptr, True);
        XFree(visual);
        ASSERT_NE(g_context, nullptr);
        ASSERT_TRUE(glXMakeCurrent(g_display, g_window, g_context));
        XSync(g_display, False);
        g_plainTexture = PrepareSceneState();
    }
    static void TearDownTestSuite()
    {
        if (g_context) {
            glXMakeCurrent(g_display, None, nullptr);
            glXDestroyContext(g_display, g_context);
        }
        if (g_window)
            XDestroyWindow(g_display, g_window);
        if (g_display)
            XCloseDisplay(g_display);
    }
};

}  // namespace

TEST_F(Draw, GlyphBitmapsMatchTheServerFontLists)
{
    static GlyphFont font;
    EXPECT_FALSE(LoadXGlyphFont(g_display, "no-such-font-anywhere", font));
    EXPECT_FALSE(font.loaded);
    ASSERT_TRUE(LoadXGlyphFont(g_display, "fixed", font));
    static GlyphAtlas atlas;
    ASSERT_TRUE(BuildGlyphAtlas(font, atlas));
    const OverlayFont overlayFont{&font, &atlas, MakeGlyphTexture(atlas)};
    ASSERT_NE(overlayFont.texture, 0u);
    ASSERT_TRUE(BuildReferenceFontLists(g_display));

    // Every code from 1 to 255 (255 has no glyph), blanks between words, and
    // the overlay's own lines; then lines whose pen starts outside (not drawn
    // at all) or that run over the right edge.
    struct Line {
        std::string text;
        int x;
    };
    std::vector<Line> lines;
    for (int first = 1; first < 256; first += 40) {
        std::string line;
        for (int code = first; code < std::min(first + 40, 256); ++code)
            line += static_cast<char>(code);
        lines.push_back({line, 7});
    }
    lines.push_back({"Particles: 1234 / 5000    Main Type: x x", 7});
    lines.push_back({"60.0 fps", kWidth - 80});
    lines.push_back({"starts left of the window", -3});
    lines.push_back({"runs over the right edge of the window", kWidth - 50});
    lines.push_back({"starts at the right edge", kWidth});
    const double white[3] = {1.0, 1.0, 1.0}, amber[3] = {1.0, 0.75, 0.1};
    for (int shadow = 0; shadow < 2; ++shadow) {
        SCOPED_TRACE(shadow ? "with shadow" : "without shadow");
        std::vector<uint8_t> frames[2];
        for (int path = 0; path < 2; ++path) {
            glClearColor(0.0f, 0.0f, 0.3f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            Overlay2D();
            int y = 5;
            for (const Line &line : lines) {
                const double *colour = y % 2 ? white : amber;
                if (path == 0) {
                    ReferenceText(line.text.c_str(), line.x, y, colour, shadow != 0);
                } else {
                    glBindTexture(GL_TEXTURE_2D, g_plainTexture);
                    DrawText(overlayFont, line.text.c_str(), line.x, y, colour, shadow != 0, kWidth, kHeight);
                    GLint bound = 0;
                    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
                    EXPECT_EQ(static_cast<GLuint>(bound), g_plainTexture);
                }
                y += 17;
            }
            // A pen below the bottom edge draws nothing either.
            if (path == 0)
                ReferenceText("below", 7, kHeight - 5, white, shadow != 0);
            else
                DrawText(overlayFont, "below", 7, kHeight - 5, white, shadow != 0, kWidth, kHeight);
            frames[path] = ReadFrame();
        }
        EXPECT_EQ(Differing(frames[0], frames[1]), 0);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_GT(Differing(frames[0], ReadFrame()), 2000);  // the text is there
        Dump(frames[0], shadow ? "text-reference-shadow" : "text-reference");
        Dump(frames[1], shadow ? "text-glyphs-shadow" : "text-glyphs");
    }
    glDeleteLists(kReferenceFontBase, 256);
    const GLuint texture = overlayFont.texture;
    glDeleteTextures(1, &texture);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

// On a desktop scaled by 2 the overlay is the same picture with every pixel
// doubled: laid out in logical pixels, each texel drawn as 2 x 2.
TEST_F(Draw, OverlayTextScalesWithTheDesktop)
{
    static GlyphFont font;
    ASSERT_TRUE(LoadXGlyphFont(g_display, "fixed", font));
    static GlyphAtlas atlas;
    ASSERT_TRUE(BuildGlyphAtlas(font, atlas));
    const OverlayFont overlayFont{&font, &atlas, MakeGlyphTexture(atlas)};
    const double amber[3] = {1.0, 0.75, 0.1};
    auto frame = [&](int width, int height, double scale) {
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(0.0f, 0.0f, 0.3f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        OverlayText overlay{};
        overlay.fpsText = "60.0 fps";
        overlay.colour = amber;
        overlay.shadow = true;
        overlay.font = overlayFont;
        overlay.width = width;
        overlay.height = height;
        overlay.textScale = scale;
        // The small picture in the lower left quarter, drawn in full pixels.
        if (scale == 1.0)
            glViewport(0, kHeight - height, width, height);
        DrawOverlay(overlay);
        glViewport(0, 0, kWidth, kHeight);
        return ReadFrame();
    };
    const std::vector<uint8_t> small = frame(kWidth / 2, kHeight / 2, 1.0);
    const std::vector<uint8_t> large = frame(kWidth, kHeight, 2.0);
    // Below 1 (or unset) is no scale at all.
    EXPECT_EQ(Differing(frame(kWidth, kHeight, 0.0), frame(kWidth, kHeight, 1.0)), 0);
    int inked = 0, differing = 0;
    for (int y = 0; y < kHeight; ++y) {  // rows from the top
        for (int x = 0; x < kWidth; ++x) {
            const size_t big = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4;
            const size_t half = (static_cast<size_t>(kHeight - 1 - y / 2) * kWidth + x / 2) * 4;
            if (large[big] != 0)
                ++inked;
            for (int c = 0; c < 3; ++c) {
                if (large[big + c] != small[half + c]) {
                    ++differing;
                    break;
                }
            }
        }
    }
    EXPECT_GT(inked, 200);  // the text is there
    EXPECT_EQ(differing, 0);
    Dump(large, "text-scaled-2");
    const GLuint texture = overlayFont.texture;
    glDeleteTextures(1, &texture);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

TEST_F(Draw, FrameRateMovesBelowTheCountInANarrowView)
{
    static GlyphFont font;
    ASSERT_TRUE(LoadXGlyphFont(g_display, "fixed", font));
    static GlyphAtlas atlas;
    ASSERT_TRUE(BuildGlyphAtlas(font, atlas));
    const OverlayFont overlayFont{&font, &atlas, MakeGlyphTexture(atlas)};
    static ParticleSystem record{};
    static SimState sim{};
    sim.record = &record;
    sim.capacity = 30000;
    sim.liveCount = 12345;
    const double white[3] = {1.0, 1.0, 1.0};
    // Ink in the rows of the third text line (y 50, rows 40 to 54 from the
    // top), right of where the frame rate starts.
    auto inkBelow = [&](int width) {
        glViewport(0, kHeight - 300, width, 300);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        OverlayText overlay{};
        overlay.fpsText = "FPS: 60.00";
        overlay.sim = &sim;
        overlay.colour = white;
        overlay.font = overlayFont;
        overlay.width = width;
        overlay.height = 300;
        overlay.textScale = 1.0;
        overlay.speed = 1.0;
        DrawOverlay(overlay);
        const std::vector<uint8_t> frame = ReadFrame();
        int ink = 0;
        for (int y = 40; y < 54; ++y)
            for (int x = width - 80; x < width; ++x)
                ink += frame[(static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4] != 0;
        return ink;
    };
    EXPECT_EQ(inkBelow(kWidth), 0);  // wide: the frame rate stays on the first line
    EXPECT_GT(inkBelow(200), 20);    // narrow: it moves below "Main Type"
    glViewport(0, 0, kWidth, kHeight);
    const GLuint texture = overlayFont.texture;
    glDeleteTextures(1, &texture);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

namespace {

uint32_t g_tick = 0;
uint32_t FixedTick()
{
    return g_tick;
}

void Range(ParamRange &r, double lo, double hi)
{
    r.min = lo;
    r.max = hi;
}

void Type(ParticleType &t, const char *name, const char *mode)
{
    std::memset(&t, 0, sizeof t);
    std::strcpy(t.name, name);
    std::strcpy(t.rendermode.text, mode);
    for (ParamRange *r : {&t.startalpha, &t.startred, &t.startgreen, &t.startblue})
        Range(*r, 0.6, 1.0);
    Range(t.endalpha, 0.1, 0.5);
    Range(t.endred, 0.0, 1.0);
    Range(t.endgreen, 0.0, 1.0);
    Range(t.endblue, 0.0, 1.0);
    Range(t.startsize, 1.0, 6.0);
    Range(t.startangle, 0, 359);
    Range(t.angledelta, -90, 90);
    Range(t.lifetime, 2, 5);
}

#if GX_TEST_SPRITES
// sprites/spot.spr (a soft spot in two frames of different tints, index
// alpha) and sprites/ring.spr (a ring, alpha test) in a game folder.
std::string MakeSpriteDir()
{
    char folder[] = "/tmp/gx-draw-XXXXXX";
    if (!mkdtemp(folder))
        return "";
    const std::string dir = folder;
    mkdir((dir + "/sprites").c_str(), 0755);
    SpriteDraft spot;
    spot.format = 2;
    for (int i = 0; i < 256; ++i)
        for (int c : {255, 160 + i * 95 / 255, i / 2})
            spot.palette.push_back(static_cast<uint8_t>(c));
    for (int tint = 0; tint < 2; ++tint) {
        SpritePicture picture;
        picture.originX = -8;
        picture.originY = 8;
        picture.width = picture.height = 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double dx = x - 7.5, dy = y - 7.5;
                const double v = std::max(0.0, 1.0 - (dx * dx + dy * dy) / (tint ? 30.0 : 64.0));
                picture.indices.push_back(static_cast<uint8_t>(v * 255));
            }
        SpriteFrameDraft frame;
        frame.pictures.push_back(picture);
        spot.frames.push_back(frame);
    }
    SpriteDraft ring;
    ring.format = 3;
    for (int i = 0; i < 256; ++i)
        for (int c : {i, 255 - i, 128})
            ring.palette.push_back(static_cast<uint8_t>(c));
    SpritePicture picture;
    picture.width = picture.height = 8;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int r2 = (2 * x - 7) * (2 * x - 7) + (2 * y - 7) * (2 * y - 7);
            picture.indices.push_back(r2 > 20 && r2 < 50 ? static_cast<uint8_t>(x * 30) : 255);
        }
    SpriteFrameDraft frame;
    frame.pictures.push_back(picture);
    ring.frames.push_back(frame);
    if (!WriteFileBytes(dir + "/sprites/spot.spr", WriteSprite(spot)) ||
        !WriteFileBytes(dir + "/sprites/ring.spr", WriteSprite(ring)))
        return "";
    return dir;
}
#endif

// A fountain of several thousand particles in every render mode, with
// overlays and sprites of several frames: more quads than one batch holds,
// and many state changes.
void MixedFountain(ParticleSystem &rec)
{
    std::memset(&rec, 0, sizeof rec);
    rec.particles = 6000;
    rec.typeCount = 4;
    std::strcpy(rec.maintype, "fountain");
    ParticleType &main = rec.types[0];
    Type(main, "fountain", "kRenderTransColor");
    std::strcpy(main.spraytype.text, "drop");
    Range(main.sprayrate, 30, 30);
    Range(main.sprayforce, 60, 100);
    Range(main.spraypitch, 50, 85);
    Range(main.sprayyaw, -180, 179);
    Range(main.lifetime, -1, -1);
    ParticleType &drop = rec.types[1];
    Type(drop, "drop", "kRenderTransAlpha");
    std::strcpy(drop.spraytype.text, "spark");
    std::strcpy(drop.overlaytype.text, "glow");
    Range(drop.sprayrate, 2, 8);
    Range(drop.sprayforce, 10, 30);
    Range(drop.spraypitch, -30, 60);
    Range(drop.sprayyaw, -180, 179);
    Range(drop.gravity, -120, -80);
    Range(drop.framerate, 1, 3);
    std::strcpy(drop.sprite.text, "sprites/ring.spr");
    ParticleType &glow = rec.types[2];
    Type(glow, "glow", "kRenderTransAdd");
    std::strcpy(glow.sprite.text, "sprites/spot.spr");
    Range(glow.framerate, 0.5, 4);
    ParticleType &spark = rec.types[3];
    Type(spark, "spark", "kRenderTransTexture");
    Range(spark.gravity, -40, -20);
    std::strcpy(spark.sprite.text, "sprites/spot.spr");
}

enum class Particles { Hidden, Reference, Batched };

void DrawSceneOnce(SimState &sim, Camera &camera, Particles particles)
{
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetProjection(kWidth, kHeight, 1.0);
    glLoadIdentity();
    ApplyCameraTransform(camera);
    const double ground[3] = {0.33, 0.33, 0.33};
    DrawGround(ground);
    glBindTexture(GL_TEXTURE_2D, g_plainTexture);
    if (particles == Particles::Reference)
        ReferenceParticles(sim, camera);
    else if (particles == Particles::Batched)
        DrawParticles(sim, camera);
}

// Steps the effect and draws the same state both ways at a few moments.
// fill: the pool is filled with drops spread in front of the camera.
void ExpectSamePictures(const ParticleSystem &rec, int minimumDrawn, bool fill = false)
{
    SimState sim;
    g_tick = 1000;
    ASSERT_TRUE(CreateSimState(sim, SpriteLoaderHooks(), nullptr, FixedTick));
    UpdateParticles(sim, &rec);
    UpdateTextures(sim);
    if (fill) {
        FrameStep(sim, 1.0f / 60.0f);
        TypeLink *drop = FindTypeLink(sim, "drop");
        ASSERT_NE(drop, nullptr);
        while (Particle *p = Spawn(sim, drop)) {
            p->origin = {static_cast<float>(NextRandom(sim) % 80) - 20.0f,
                         static_cast<float>(NextRandom(sim) % 120) - 60.0f,
                         static_cast<float>(NextRandom(sim) % 80)};
            p->velocity = {0.0f, 0.0f, static_cast<float>(NextRandom(sim) % 40)};
        }
    }
    Camera camera{};
    ResetCamera(camera);
    int biggest = 0;
    for (int moment = 0; moment < 3; ++moment) {
        for (int i = 0; i < 20; ++i) {
            g_tick += 16;
            FrameStep(sim, 1.0f / 60.0f);
        }
        DrawSceneOnce(sim, camera, Particles::Hidden);
        const std::vector<uint8_t> empty = ReadFrame();
        DrawSceneOnce(sim, camera, Particles::Reference);
        const std::vector<uint8_t> reference = ReadFrame();
        DrawSceneOnce(sim, camera, Particles::Batched);
        const std::vector<uint8_t> batched = ReadFrame();
        EXPECT_EQ(Differing(reference, batched), 0)
            << "moment " << moment << ", " << sim.liveCount << " live";
        biggest = std::max(biggest, Differing(reference, empty));
        if (fill) {
            EXPECT_GT(sim.liveCount, 2 * QuadBatch::kMaxQuads);
        }
    }
    EXPECT_GE(biggest, minimumDrawn);
    ReleaseSprites(sim);
    DestroySimState(sim);
}

}  // namespace

#if GX_TEST_SPRITES
TEST_F(Draw, BatchedParticlesMatchOneQuadAtATime)
{
    const std::string dir = MakeSpriteDir();
    ASSERT_FALSE(dir.empty());
    SetGameDirectories(dir.c_str(), "");
    static ParticleSystem rec;
    MixedFountain(rec);
    ExpectSamePictures(rec, 5000, true);
    SetGameDirectories("", "");
    std::remove((dir + "/sprites/spot.spr").c_str());
    std::remove((dir + "/sprites/ring.spr").c_str());
    rmdir((dir + "/sprites").c_str());
    rmdir(dir.c_str());
}
#endif

#if defined(GX_DEMO_DIR) && defined(GX_MANAGER_PATH)
#include "DemoEffects.h"
#include "ManagerApi.h"

TEST_F(Draw, DemoEffectsLookTheSameBatched)
{
    void *manager = dlopen(GX_MANAGER_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(manager, nullptr) << dlerror();
    auto load = reinterpret_cast<embLoadFileFn>(dlsym(manager, "embLoadFile"));
    ASSERT_NE(load, nullptr);
    const std::string demo = GX_DEMO_DIR;
    const std::vector<std::string> effects = DemoEffectNames(demo);
    ASSERT_GE(effects.size(), 5u);
    SetGameDirectories((demo + "/game").c_str(), "");
    static ParticleSystem rec;
    for (const std::string &name : effects) {
        SCOPED_TRACE(name);
        ASSERT_EQ(load((demo + "/effects/" + name).c_str(), &rec), 1);
        ExpectSamePictures(rec, 200);
    }
    SetGameDirectories("", "");
    ShutdownSprites();
    dlclose(manager);
}
#endif
