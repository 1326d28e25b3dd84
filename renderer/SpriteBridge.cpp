#include "SpriteBridge.h"

#include <cstring>

namespace gx {

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

}  // namespace gx
