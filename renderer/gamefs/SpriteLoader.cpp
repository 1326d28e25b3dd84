#include "gamefs/SpriteLoader.h"

#include <vector>

void SpriteLoader::SetGamedir(const char *baseDir, const char *additionalDir)
{
    fs_.SetGamedir(baseDir, additionalDir, report_);
}

SpriteModel *SpriteLoader::LoadSprite(const char *name)
{
    std::vector<uint8_t> bytes;
    if (!fs_.LoadFile(name, bytes, report_))
        return nullptr;
    std::unique_ptr<SpriteModel> model = Mod_LoadSpriteModel(bytes.data(), bytes.size(), sink_, report_);
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
