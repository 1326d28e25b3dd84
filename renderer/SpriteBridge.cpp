#include "SpriteBridge.h"

#include <GL/gl.h>

#include "RendererMessages.h"
#include "gamefs/SpriteLoader.h"

namespace gx {

namespace {

// One texture per picture: its own size, no mipmaps, clamped, linear.
class GLTextureSink final : public TextureSink {
public:
    uint32_t CreateTexture(int32_t width, int32_t height, const uint8_t *rgba) override
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        if (name == 0)
            return 0;  // no context current
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        return name;
    }

    void DeleteTexture(uint32_t texture) override
    {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
    }
};

// The adapter: the GL texture sink and the loader that feeds it. Never
// destroyed, since the library's unload code may still release sprites and
// archives after static objects are gone.
struct GLSprites {
    GLTextureSink sink;
    SpriteLoader loader{sink, ShowRendererMessage};
};

SpriteLoader &Loader()
{
    static GLSprites *const sprites = new GLSprites;
    return sprites->loader;
}

::SpriteModel *LoadHook(const char *name)
{
    return Loader().LoadSprite(name);
}

void ReleaseHook(::SpriteModel *sprite)
{
    Loader().ReleaseSprite(sprite);
}

}  // namespace

SpriteHooks SpriteLoaderHooks()
{
    return SpriteHooks{LoadHook, ReleaseHook};
}

void SetGameDirectories(const char *baseDir, const char *additionalDir)
{
    Loader().SetGamedir(baseDir, additionalDir);
}

int ArchivePaths(const char **paths, int max)
{
    int count = 0;
    for (const PackFile &pack : Loader().FileSystem().Packs()) {
        if (count >= max)
            break;
        paths[count++] = pack.filename.c_str();
    }
    return count;
}

void ShutdownSprites()
{
    Loader().FileSystem().Clear();
}

}  // namespace gx
