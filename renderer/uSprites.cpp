#include "uSprites.h"

#include <GL/gl.h>

#include "RendererMessages.h"
#include "gamefs/SpriteLoader.h"

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

// Never destroyed: the library's unload code may still release sprites and
// archives after static objects are gone.
SpriteLoader &Loader()
{
    static SpriteLoader *const loader = new SpriteLoader(
        *new GLTextureSink, [](const char *text) { ShowRendererMessage(text); });
    return *loader;
}

}  // namespace

void SetGamedir(const char *baseDir, const char *additionalDir)
{
    Loader().SetGamedir(baseDir, additionalDir);
}

const char *BaseGameDir()
{
    return Loader().FileSystem().BaseDir().c_str();
}

const char *AdditionalGameDir()
{
    return Loader().FileSystem().AdditionalDir().c_str();
}

void AppendLoadedPackages(char *buffer, size_t bufferSize)
{
    Loader().AppendLoadedPackages(buffer, bufferSize);
}

SpriteModel *R_LoadSpriteFromFile(const char *name)
{
    return Loader().LoadSprite(name);
}

void ReleaseSprite(SpriteModel *&sprite)
{
    Loader().ReleaseSprite(sprite);
}

void LoadTypeSprite(const char *spriteText, char *spriteName, SpriteModel *&sprite,
                    int32_t &drawable)
{
    Loader().LoadTypeSprite(spriteText, spriteName, sprite, drawable);
}

void UpdateTypeSprite(const char *spriteText, int32_t renderList, char *spriteName,
                      SpriteModel *&sprite, int32_t &drawable)
{
    Loader().UpdateTypeSprite(spriteText, renderList, spriteName, sprite, drawable);
}

void ReleaseGameFileSystem()
{
    Loader().FileSystem().Clear();
}
