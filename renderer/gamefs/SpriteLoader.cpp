#include "gamefs/SpriteLoader.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void CopyName(char *dst, const char *src)
{
    std::strncpy(dst, src, kSpriteNameSize - 1);
    dst[kSpriteNameSize - 1] = '\0';
}

}  // namespace

bool EqualIgnoringAsciiCase(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    return *a == *b;
}

void SpriteLoader::SetGamedir(const char *baseDir, const char *additionalDir)
{
    fs_.SetGamedir(baseDir, additionalDir, report_);
}

SpriteModel *SpriteLoader::LoadSprite(const char *name)
{
    std::vector<uint8_t> bytes;
    if (!fs_.LoadFile(name, bytes, report_))
        return nullptr;
    std::unique_ptr<SpriteModel> model =
        Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink_, report_);
    return model.release();
}

void SpriteLoader::ReleaseSprite(SpriteModel *&sprite)
{
    if (sprite == nullptr)
        return;
    ReleaseSpriteTextures(*sprite, sink_);
    delete sprite;
    sprite = nullptr;
}

void SpriteLoader::LoadTypeSprite(const char *spriteText, char *spriteName,
                                  SpriteModel *&sprite, int32_t &drawable)
{
    ReleaseSprite(sprite);
    if (spriteText == nullptr || spriteText[0] == '\0') {
        spriteName[0] = '\0';
        drawable = 0;
        return;
    }
    CopyName(spriteName, spriteText);
    sprite = LoadSprite(spriteName);
    drawable = 1;
}

void SpriteLoader::UpdateTypeSprite(const char *spriteText, int32_t renderList,
                                    char *spriteName, SpriteModel *&sprite, int32_t &drawable)
{
    if (spriteText == nullptr || spriteText[0] == '\0') {
        ReleaseSprite(sprite);
        // Forget the name too, so that giving the same name back loads it again.
        spriteName[0] = '\0';
        drawable = renderList == kColourRenderList ? 1 : 0;
        return;
    }
    if (EqualIgnoringAsciiCase(spriteText, spriteName))
        return;
    CopyName(spriteName, spriteText);
    ReleaseSprite(sprite);
    sprite = LoadSprite(spriteName);
    drawable = 1;
}

void SpriteLoader::AppendLoadedPackages(char *buffer, size_t bufferSize) const
{
    if (buffer == nullptr || bufferSize == 0)
        return;
    size_t used = ::strnlen(buffer, bufferSize);
    if (used == bufferSize) {  // no NUL inside: end the text at the last byte
        buffer[bufferSize - 1] = '\0';
        return;
    }
    for (const PackFile &pack : fs_.Packs()) {
        for (const char *p : {pack.filename.c_str(), "\n"}) {
            for (; *p != '\0' && used + 1 < bufferSize; ++p)
                buffer[used++] = *p;
        }
    }
    buffer[used] = '\0';
}
