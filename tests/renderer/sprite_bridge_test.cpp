// The GL side of sprites on a real context: textures made at the picture's
// size with the picture's pixels, clamped and linear, deleted on release,
// and messages going to the renderer's message entry point.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

#include "Fixtures.h"
#include "RendererMessages.h"
#include "uSprites.h"

namespace {
std::vector<std::string> g_messages;

// Like the plug-in's unload code: releases a sprite and the archives after
// main has returned, when static objects may already be gone.
struct ReleasedAtExit {
    SpriteModel *sprite = nullptr;
    ~ReleasedAtExit()
    {
        ReleaseSprite(sprite);
        ReleaseGameFileSystem();
        char info[8] = "";
        AppendLoadedPackages(info, sizeof info);
        if (sprite != nullptr || info[0] != '\0')
            std::abort();
    }
} g_releasedAtExit;
}

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
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                            GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 24, None};
        visual_ = glXChooseVisual(display_, DefaultScreen(display_), attributes);
        if (visual_ == nullptr)
            return;
        const Window root = RootWindow(display_, visual_->screen);
        XSetWindowAttributes wa{};
        wa.colormap = colormap_ = XCreateColormap(display_, root, visual_->visual, AllocNone);
        window_ = XCreateWindow(display_, root, 0, 0, 64, 64, 0, visual_->depth, InputOutput,
                                visual_->visual, CWColormap | CWBorderPixel, &wa);
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

TEST(USprites, TexturesFollowThePicturesAndGoOnRelease)
{
    GLContext gl;
    if (!gl.Ok())
        GTEST_SKIP() << "no X display with GLX";
    TempDir root;
    root.Write("base/pak0.pak", Pak({{"sprites/k.spr", KeyedSprite()}}));
    const std::string base = root.Path() + "/base";
    SetGamedir(base.c_str(), "");
    EXPECT_EQ(base, BaseGameDir());
    EXPECT_STREQ("", AdditionalGameDir());

    SpriteModel *sprite = R_LoadSpriteFromFile("sprites/k.spr");
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
                                    4, 100, 50, 255, 5, 100, 50, 255, 0, 0, 0, 0}),
              pixels);

    float frame = 1.2f;
    EXPECT_EQ(inGroup, SpriteFrameTexture(*sprite, frame, 3.0f));

    ReleaseSprite(sprite);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsTexture(inGroup));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_TRUE(g_messages.empty());

    char info[512] = "Loaded packages:\n";
    AppendLoadedPackages(info, sizeof info);
    EXPECT_EQ("Loaded packages:\n" + base + "/pak0.pak\n", std::string(info));
    ReleaseGameFileSystem();
    info[0] = '\0';
    AppendLoadedPackages(info, sizeof info);
    EXPECT_STREQ("", info);
}

TEST(USprites, TypeRulesAndMessagesThroughTheRenderer)
{
    GLContext gl;
    if (!gl.Ok())
        GTEST_SKIP() << "no X display with GLX";
    TempDir root;
    root.Write("extra/sprites/k.spr", KeyedSprite());
    const std::string extra = root.Path() + "/extra";
    SetGamedir(nullptr, extra.c_str());
    g_messages.clear();

    char name[256] = {};
    SpriteModel *sprite = nullptr;
    int32_t drawable = 0;
    LoadTypeSprite("sprites/k.spr", name, sprite, drawable);
    ASSERT_NE(nullptr, sprite);
    UpdateTypeSprite("sprites/missing.spr", 500, name, sprite, drawable);
    EXPECT_EQ(nullptr, sprite);
    EXPECT_EQ(1, drawable);
    EXPECT_EQ((std::vector<std::string>{"R_LoadSpriteFromFile: File not found (sprites/missing.spr)"}),
              g_messages);
    UpdateTypeSprite("", 503, name, sprite, drawable);
    EXPECT_EQ(1, drawable);
}

TEST(USprites, WithoutACurrentContextPicturesGetNoTexture)
{
    TempDir root;
    root.Write("sprites/k.spr", KeyedSprite());
    SetGamedir(root.Path().c_str(), "");
    SpriteModel *sprite = R_LoadSpriteFromFile("sprites/k.spr");
    ASSERT_NE(nullptr, sprite);
    EXPECT_EQ(0u, sprite->frames[0].picture.texture);
    ReleaseSprite(sprite);
    EXPECT_EQ(nullptr, sprite);
}

// Runs last: leaves a sprite and an archive for the release after main.
TEST(USprites, ZLeavesWorkForTheReleaseAtExit)
{
    static TempDir root;
    root.Write("pak0.pak", Pak({{"sprites/k.spr", KeyedSprite()}}));
    SetGamedir(root.Path().c_str(), "");
    g_releasedAtExit.sprite = R_LoadSpriteFromFile("sprites/k.spr");
    EXPECT_NE(nullptr, g_releasedAtExit.sprite);
}

}  // namespace
