#include "SpriteBridge.h"

#include <cstring>

#if GX_HAVE_SPRITES
#include "uSprites.h"
#endif

namespace gx {

#if GX_HAVE_SPRITES

namespace {
::SpriteModel *LoadHook(const char *name)
{
    return R_LoadSpriteFromFile(name);
}
void ReleaseHook(::SpriteModel *sprite)
{
    ReleaseSprite(sprite);
}
// Room for every archive path of the list with its line end.
char g_packageText[kMaxArchivePaths * 262 + 1];
}  // namespace

SpriteHooks SpriteLoaderHooks()
{
    return SpriteHooks{LoadHook, ReleaseHook};
}

void SetGameDirectories(const char *baseDir, const char *additionalDir)
{
    SetGamedir(baseDir, additionalDir);
}

void UpdateSpriteTextures(SimState &sim)
{
    for (TypeLink *link = sim.typeLinks; link; link = link->next)
        UpdateTypeSprite(link->type->sprite.text, link->renderList, link->spriteName,
                         link->sprite, link->drawable);
}

int ArchivePaths(const char **paths, int max)
{
    g_packageText[0] = '\0';
    AppendLoadedPackages(g_packageText, sizeof g_packageText);
    int count = 0;
    for (char *line = g_packageText; *line && count < max;) {
        char *end = std::strchr(line, '\n');
        if (!end)
            break;  // a cut line is left out
        *end = '\0';
        paths[count++] = line;
        line = end + 1;
    }
    return count;
}

void ShutdownSprites()
{
    ReleaseGameFileSystem();
}

uint32_t SpriteTexture(const SpriteModel &sprite, float &frame, float age)
{
    return SpriteFrameTexture(sprite, frame, age);
}

#else  // no sprite loader: nothing is ever found

namespace {
char g_baseGameDir[260];
char g_additionalGameDir[260];

void CopyDir(char (&dest)[260], const char *src)
{
    if (!src)
        src = "";
    const size_t n = strnlen(src, sizeof dest - 1);
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}
}  // namespace

SpriteHooks SpriteLoaderHooks()
{
    return SpriteHooks{nullptr, nullptr};
}

void SetGameDirectories(const char *baseDir, const char *additionalDir)
{
    CopyDir(g_baseGameDir, baseDir);
    CopyDir(g_additionalGameDir, additionalDir);
}

void UpdateSpriteTextures(SimState &sim)
{
    UpdateTextures(sim);
}

int ArchivePaths(const char **, int)
{
    return 0;
}

void ShutdownSprites()
{
}

uint32_t SpriteTexture(const SpriteModel &, float &, float)
{
    return 0;
}

#endif

}  // namespace gx
