// The renderer's sprites on a real GL context: textures made at the picture's
// size with the picture's pixels, clamped and linear, deleted on release,
// messages going to the renderer's message entry point, and the type links'
// sprites loaded through the hooks the simulation is given.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "Fixtures.h"
#include "RendererMessages.h"
#include "SpriteBridge.h"
#include "gamefs/SpriteModel.h"

using namespace gx;

namespace {
std::vector<std::string> g_messages;

// Like the plug-in's unload code: releases a sprite and the archives after
// main has returned, when static objects may already be gone.
struct ReleasedAtExit {
    SpriteModel *sprite = nullptr;
    ~ReleasedAtExit()
    {
        SpriteLoaderHooks().release(sprite);
        ShutdownSprites();
        const char *paths[1];
        if (ArchivePaths(paths, 1) != 0)
            std::abort();
    }
} g_releasedAtExit;
}  // namespace

void ShowRendererMessage(const char *text)
{
    g_messages.emplace_back(text);
}

namespace {

class GLContext {
public:
    GLContext()
    {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr)
            return;
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                            8,        GLX_DEPTH_SIZE,   24,           None};
        visual_ = glXChooseVisual(display_, DefaultScreen(display_), attributes);
        if (visual_ == nullptr)
            return;
        const Window root = RootWindow(display_, visual_->screen);
        XSetWindowAttributes wa{};
        wa.colormap = colormap_ = XCreateColormap(display_, root, visual_->visual, AllocNone);
        window_ = XCreateWindow(display_, root, 0, 0, 64, 64, 0, visual_->depth, InputOutput, visual_->visual,
                                CWColormap | CWBorderPixel, &wa);
        context_ = glXCreateContext(display_, visual_, nullptr, True);
        ok_ = context_ != nullptr && glXMakeCurrent(display_, window_, context_);
    }
    ~GLContext()
    {
        if (display_ == nullptr)
            return;
        if (context_ != nullptr) {
            glXMakeCurrent(display_, None, nullptr);
            glXDestroyContext(display_, context_);
        }
        if (window_ != 0)
            XDestroyWindow(display_, window_);
        if (colormap_ != 0)
            XFreeColormap(display_, colormap_);
        if (visual_ != nullptr)
            XFree(visual_);
        XCloseDisplay(display_);
    }
    bool Ok() const { return ok_; }

private:
    Display *display_ = nullptr;
    XVisualInfo *visual_ = nullptr;
    Colormap colormap_ = 0;
    Window window_ = 0;
    GLXContext context_ = nullptr;
    bool ok_ = false;
};

// Two pictures: a 3 × 2 one of format 3 with a transparent key pixel, then
// a group of one 1 × 1 picture.
std::vector<uint8_t> KeyedSprite()
{
    SpriteDraft draft;
    draft.format = 3;
    for (int i = 0; i < 256; ++i)
        draft.palette.insert(draft.palette.end(), {static_cast<uint8_t>(i), 100, 50});
    draft.palette[255 * 3] = 0;
    draft.palette[255 * 3 + 1] = 0;
    draft.palette[255 * 3 + 2] = 255;
    SpriteFrameDraft frame;
    SpritePicture p;
    p.width = 3;
    p.height = 2;
    p.indices = {1, 2, 3, 4, 5, 255};
    frame.pictures.push_back(p);
    SpriteFrameDraft group;
    group.group = true;
    group.intervals = {0.5f};
    SpritePicture one;
    one.width = 1;
    one.height = 1;
    one.indices = {9};
    group.pictures.push_back(one);
    draft.frames = {frame, group};
    return WriteSprite(draft);
}

TEST(SpriteBridge, TexturesFollowThePicturesAndGoOnRelease)
{
    GLContext gl;
    if (!gl.Ok())
        GTEST_SKIP() << "no X display with GLX";
    TempDir root;
    root.Write("base/pak0.pak", Pak({{"sprites/k.spr", KeyedSprite()}}));
    const std::string base = root.Path() + "/base";
    SetGameDirectories(base.c_str(), "");
    const SpriteHooks hooks = SpriteLoaderHooks();

    SpriteModel *sprite = hooks.load("sprites/k.spr");
    ASSERT_NE(nullptr, sprite);
    const GLuint texture = sprite->frames[0].picture.texture;
    const GLuint inGroup = sprite->frames[1].group->pictures[0].texture;
    ASSERT_TRUE(glIsTexture(texture));
    ASSERT_TRUE(glIsTexture(inGroup));

    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0, value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(3, w);
    EXPECT_EQ(2, h);
    GLint level1 = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(0, level1);  // no mipmaps
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(GL_CLAMP, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(GL_CLAMP, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(GL_LINEAR, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(GL_LINEAR, value);
    std::vector<uint8_t> pixels(3 * 2 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ((std::vector<uint8_t>{1, 100, 50, 255, 2, 100, 50, 255, 3, 100, 50, 255,
                                    4, 100, 50, 255, 5, 100, 50, 255, 0, 0,   0,  0}),
              pixels);

    float frame = 1.2f;
    EXPECT_EQ(inGroup, SpriteFrameTexture(*sprite, frame, 3.0f));

    hooks.release(sprite);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsTexture(inGroup));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_TRUE(g_messages.empty());

    const char *paths[kMaxArchivePaths];
    ASSERT_EQ(1, ArchivePaths(paths, kMaxArchivePaths));
    EXPECT_EQ(base + "/pak0.pak", paths[0]);
    EXPECT_EQ(0, ArchivePaths(paths, 0));
    ShutdownSprites();
    EXPECT_EQ(0, ArchivePaths(paths, kMaxArchivePaths));
}

uint32_t FixedTick()
{
    return 0;
}

TEST(SpriteBridge, TypeSpritesAndMessagesThroughTheRenderer)
{
    GLContext gl;
    if (!gl.Ok())
        GTEST_SKIP() << "no X display with GLX";
    TempDir root;
    root.Write("extra/sprites/k.spr", KeyedSprite());
    const std::string extra = root.Path() + "/extra";
    SetGameDirectories(nullptr, extra.c_str());
    g_messages.clear();

    auto record = std::make_unique<ParticleSystem>();
    record->particles = 10;
    record->typeCount = 1;
    std::strcpy(record->types[0].name, "k");
    std::strcpy(record->types[0].sprite.text, "sprites/k.spr");
    std::strcpy(record->maintype, "k");
    SimState sim;
    ASSERT_TRUE(CreateSimState(sim, SpriteLoaderHooks(), nullptr, FixedTick));
    UpdateParticles(sim, record.get());
    ASSERT_NE(nullptr, sim.mainLink);
    ASSERT_NE(nullptr, sim.mainLink->sprite);
    const GLuint texture = sim.mainLink->sprite->frames[0].picture.texture;
    EXPECT_TRUE(glIsTexture(texture));

    std::strcpy(record->types[0].sprite.text, "sprites/missing.spr");
    UpdateTextures(sim);
    EXPECT_EQ(nullptr, sim.mainLink->sprite);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(1, sim.mainLink->drawable);
    EXPECT_EQ((std::vector<std::string>{"R_LoadSpriteFromFile: File not found (sprites/missing.spr)"}),
              g_messages);
    DestroySimState(sim);
}

TEST(SpriteBridge, WithoutACurrentContextPicturesGetNoTexture)
{
    TempDir root;
    root.Write("sprites/k.spr", KeyedSprite());
    SetGameDirectories(root.Path().c_str(), "");
    SpriteModel *sprite = SpriteLoaderHooks().load("sprites/k.spr");
    ASSERT_NE(nullptr, sprite);
    EXPECT_EQ(0u, sprite->frames[0].picture.texture);
    SpriteLoaderHooks().release(sprite);
}

// Runs last: leaves a sprite and an archive for the release after main.
TEST(SpriteBridge, ZLeavesWorkForTheReleaseAtExit)
{
    static TempDir root;
    root.Write("pak0.pak", Pak({{"sprites/k.spr", KeyedSprite()}}));
    SetGameDirectories(root.Path().c_str(), "");
    g_releasedAtExit.sprite = SpriteLoaderHooks().load("sprites/k.spr");
    EXPECT_NE(nullptr, g_releasedAtExit.sprite);
}

}  // namespace
